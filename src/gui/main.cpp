#include "app/ZorbelApp.h"

int main(int argc, char** argv)
{
    CZorbelApp app(argc, argv);
    if (!app.InitInstance())
        return 1;
    return app.exec();
}
