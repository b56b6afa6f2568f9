// The toy's main program: opens the window, scatters the bodies and runs the
// frame loop until the user asks to close. main() runs it through the
// program entry of system/startup.h.
#pragma once

#include "sim/simulation.h"

// Starts the modules the program uses, dependencies first: the pointer
// tracker (with the polled input and the system driver), the OpenGL 2D
// drawing layer (with the graphics layer), the simulation.
void StartVubleToyModule();

// Draws what one simulation frame reported, in the frame's drawing order:
// each body's motion line, the density cells, the pointer mark.
void drawframe(const framedrawing& drawing);

// The main program. Returns only by ending the process: with status 0 after
// a close request, or by raising an error when the window cannot be opened.
[[noreturn]] void vubletoy();
