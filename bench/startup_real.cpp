// The real main window under startup_bench's probe, built as app/main.cpp
// builds it but with the settings file given on the command line.

#include "formprincipal.h"
#include "startupprobe.h"

int main(int argc, char *argv[])
{
    const std::int64_t mainNs = MonotonicNs();
    return RunProbe(argc, argv, mainNs,
                    [](const QString &settings) { return std::make_unique<TFormPrincipal>(settings); });
}
