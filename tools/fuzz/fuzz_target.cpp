// One libFuzzer target; CMake compiles it once per reader with CONVENIOS_FUZZ_ENTRY naming the entry.
#include "tools/fuzz/FuzzEntries.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    return FuzzEntries::runTarget(FuzzEntries::CONVENIOS_FUZZ_ENTRY, data, size);
}
