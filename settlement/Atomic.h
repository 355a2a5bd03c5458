#pragma once
#include <QString>
#include <exception>
#include <functional>

class Connection;

// Runs a settlement command in one transaction: every statement of `body` is committed together
// or, when anything fails, rolled back together. When another workstation holds the same rows
// (a lock or update conflict), the whole command is run again once that workstation has finished,
// a few times at most, so two workstations settling at the same moment both end correctly.
namespace Atomic {

void run(Connection &connection, const std::function<void()> &body, int attempts = 5);

// True for the database's lock, deadlock and update-conflict failures.
bool isConflict(long gdsCode);
// True for a primary or unique key violation.
bool isKeyViolation(long gdsCode);

// Runs `store` again, up to `attempts` times in all, while it is refused for a key another
// workstation stored first (a code taken as the highest plus one, a claim made at the same moment);
// `store` takes the next free key each time. Any other failure, or the last refusal, is raised.
void retryOnKeyViolation(int attempts, const std::function<void()> &store);

// What the user reads when a settlement failed: the reason, and that none of it was kept.
QString mensagemDeFalha(const std::exception_ptr &error);

}
