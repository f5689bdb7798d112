// The application object's construction and destruction.
#include "app/OrvaneMovieScreenSaverApp.h"

// Every member starts at the value given beside it in the class.
COrvaneMovieScreenSaverApp::COrvaneMovieScreenSaverApp() = default;

// Releases the members; the plug-in libraries were freed by ExitInstance.
COrvaneMovieScreenSaverApp::~COrvaneMovieScreenSaverApp() = default;
