#pragma once

// Waits this many milliseconds in a local event loop: the window stays live, timers and
// other events run, and the CPU sleeps meanwhile.
void sleepInEventLoop(int milliseconds);
