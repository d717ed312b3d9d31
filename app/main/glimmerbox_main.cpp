// The application's program: glimmerbox [--build] [FILE] (see app/command_line.h).
#include "app/command_line.h"

int main(int argc, char** argv) { return RunCommandLine(argc, argv); }
