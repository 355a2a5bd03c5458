#pragma once
#include <QString>

// The name of the user logged on to the workstation, as the operating system reports it.
namespace UserName {
QString current();   // at most 50 characters; empty when the system cannot tell
}
