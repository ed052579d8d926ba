#pragma once

// The measuring side of startup_bench: a program's main hands it the window
// to build, and it prints one line of figures on standard output.
//
//   PROGRAM startup SETTINGS          -> "FROM-FORK-MS FROM-MAIN-MS VMRSS-KB"
//   PROGRAM idle SECONDS SETTINGS     -> "CPU-PERCENT CPU-MS VOLUNTARY-SWITCHES-PER-S"

#include "benchclock.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

int RunProbe(int argc, char *argv[], std::int64_t mainNs,
             const std::function<std::unique_ptr<QWidget>(const QString &settings)> &makeWindow);
