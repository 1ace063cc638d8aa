#pragma once
// The main of a benchmark program that needs a Qt application object (fonts, painting,
// widgets): the offscreen platform unless one is named, then every benchmark asked for.

#include <benchmark/benchmark.h>

#include <QtGlobal>

namespace corvane {

template <class Application>
int RunBenchmarks(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    Application app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

}  // namespace corvane
