#pragma once

#include <QString>

// The machine's network name, at most 255 characters. Empty only when the system names no
// host at all.
QString computerName();

// The name of the user the program runs as, at most 255 characters. It comes from the user
// database and falls back to the login environment, so it is empty only when neither knows it.
QString userName();
