#pragma once

// The program: configuration, first-run dialog, single instance, then the
// data module, the main window and the version dialog, and the event loop.
int runKlov(int argc, char** argv);

// The same within an application object that already exists.
int startKlov();
