#include "ui/ProgrammerApp.h"

int main(int argc, char** argv)
{
    orvex::ui::ProgrammerApp app(argc, argv);
    return app.initInstance();
}
