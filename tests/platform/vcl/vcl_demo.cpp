// Shows the demo form with the program's backend choice, or writes its headless
// rendering to a BMP file: vcl_demo [--headless OUT.bmp]. Used to compare a
// screenshot of the real window with the headless picture.
#include "demoform.h"
#include "vcl/qtbackend.h"

#include <cstring>
#include <iostream>

int main(int argc, char** argv)
{
    TApplication app;
    if (argc == 3 && std::strcmp(argv[1], "--headless") == 0) {
        app.SetBackend(std::make_unique<THeadlessBackend>());
        auto* form = NewForm<TDemoForm>(&app);
        form->Show();
        HeadlessBackend()->SetDesktopColor(clBlack);
        HeadlessBackend()->Snapshot(*form)->SaveToFile(argv[2]);
        return 0;
    }
    app.Initialize(QtBackendFactory(argc, argv), argc, argv);
    TDemoForm* form = nullptr;
    app.CreateForm(form);
    form->ok->OnClick = [&](TObject*) { app.Terminate(); };
    app.Run();
    return 0;
}
