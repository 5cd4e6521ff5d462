#include "app/form4.h"

namespace tamo::app {

void startProgram() {}

} // namespace tamo::app
