// Keldara's program: the Qt backend shows the windows (KELDARA_BACKEND=headless
// or --headless runs without a screen), then the start-up takes over.
#include "app/startup.h"

#include "vcl/application.h"
#include "vcl/qtbackend.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv)
{
    TApplication app;
    try {
        app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "keldara: %s\n", e.what());
        return 1;
    }
    return RunStartup(app);
}
