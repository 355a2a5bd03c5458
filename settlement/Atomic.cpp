#include "settlement/Atomic.h"

#include "data/Connection.h"
#include "platform/Failure.h"
#include "settlement/Desfecho.h"

#include <QThread>

namespace Atomic {

bool isConflict(long gdsCode)
{
    return gdsCode == 335544336      // deadlock
           || gdsCode == 335544345   // lock conflict on no wait transaction
           || gdsCode == 335545096   // update conflicts with concurrent update
           || gdsCode == 335544878;  // concurrent transaction number
}

bool isKeyViolation(long gdsCode)
{
    return gdsCode == 335544665      // violation of PRIMARY or UNIQUE KEY constraint
           || gdsCode == 335544349;  // attempt to store duplicate value
}

void retryOnKeyViolation(int attempts, const std::function<void()> &store)
{
    for (int attempt = 1;; ++attempt) {
        try {
            store();
            return;
        } catch (const DatabaseError &e) {
            if (!isKeyViolation(e.gdsCode()) || attempt >= attempts)
                throw;
        }
    }
}

QString mensagemDeFalha(const std::exception_ptr &error)
{
    // Whether anything was settled is not known: the message says where to look, nothing more.
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const Desfecho::Incerto &e) {
        return e.mensagem();
    } catch (...) {
    }
    QString motivo = Failure::messageOf(error);
    // Another workstation held the convênio's rows for longer than the command waits: said in
    // Portuguese, with the database's own text beneath.
    try {
        if (error)
            std::rethrow_exception(error);
    } catch (const DatabaseError &e) {
        if (isConflict(e.gdsCode()))
            motivo = QStringLiteral("Outra estação está quitando ou estornando este convênio neste momento. Tente de "
                                    "novo em instantes.\n\n") +
                     e.message();
    } catch (...) {
    }
    return motivo + QStringLiteral("\n\nNenhum pedido foi quitado: a quitação foi desfeita por inteiro.");
}

void run(Connection &connection, const std::function<void()> &body, int attempts)
{
    for (int attempt = 1;; ++attempt) {
        try {
            Transaction tx(connection);
            body();
            tx.commit();
            return;
        } catch (const DatabaseError &e) {
            if (!isConflict(e.gdsCode()) || attempt >= attempts)
                throw;
        }
        QThread::msleep(50 * attempt);
    }
}

}
