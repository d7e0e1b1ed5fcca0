// Program start: the application object, the windows in their order, the message loop.
#pragma once

namespace zirko {
int RunApplication(int argc, char** argv);
}
