#pragma once

// Ends every piece of database work of this process at once, as the database engine itself does
// when the process is told to end: statements running or waiting for a lock are cancelled, open
// transactions are rolled back, and every connection is closed. Safe to call from any thread; the
// program's own calls that were under way then fail.
void stopAllDatabaseWork();
