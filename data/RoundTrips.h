#pragma once
#include <QtGlobal>

// The calls of the data layer that reach the database server and wait for its answer: attaching,
// starting and ending a transaction, preparing, executing, each batch of fetched rows, asking for a
// statement's row count. On a server across a network each costs one round trip, whatever the
// statement does; the benchmark shows how many an operation makes.
namespace RoundTrips {

void add(int calls = 1);
quint64 count();

}
