#include "gui/app/ZorbelApp.h"

int main(int argc, char** argv)
{
    // --help and --version print and end before a display is needed.
    if (const std::optional<int> nExitStatus = CZorbelApp::AnswerCommandLine(argc, argv))
        return *nExitStatus;
    CZorbelApp app(argc, argv);
    if (!app.InitInstance())
        return 1;
    return app.exec();
}
