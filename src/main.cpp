// ZIRKO desktop: the GUI program.
#include "gui/app/Application.h"

int main(int argc, char** argv)
{
    return zirko::RunApplication(argc, argv);
}
