#pragma once
#include <QString>
#include <exception>

// What every layer needs to know of failures, windows or not.

// Raised to end a handler silently, like the suite's "abort" exception: never reported.
struct SilentAbort : std::exception {
    const char *what() const noexcept override { return "abort"; }
};

namespace Failure {

// A failure whose own text the user may not understand (a database's, in English): it explains
// itself in Portuguese, its own text beneath.
class Explicada {
public:
    virtual ~Explicada() = default;
    virtual QString explicada() const = 0;
};

// The message of any exception, as shown to the user.
inline QString messageOf(const std::exception_ptr &error)
{
    try {
        std::rethrow_exception(error);
    } catch (const Explicada &e) {
        return e.explicada();
    } catch (const std::exception &e) {
        return QString::fromUtf8(e.what());
    } catch (...) {
        return QStringLiteral("Erro desconhecido.");
    }
}

}
