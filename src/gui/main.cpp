#include "GuiMain.h"

int main(int argc, char* argv[])
{
    return runGui(argc, argv);
}
