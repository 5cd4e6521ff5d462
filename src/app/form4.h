#pragma once

namespace tamo::app {

// Shows the first window of the program.
void startProgram();

} // namespace tamo::app
