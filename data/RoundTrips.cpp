#include "data/RoundTrips.h"

#include <atomic>

namespace {
std::atomic<quint64> g_count{0};
}

namespace RoundTrips {

void add(int calls) { g_count.fetch_add(quint64(calls), std::memory_order_relaxed); }

quint64 count() { return g_count.load(std::memory_order_relaxed); }

}
