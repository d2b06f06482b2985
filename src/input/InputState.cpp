#include "input/InputState.h"

MouseFactors& MouseAcceleration() {
    static MouseFactors factors;
    return factors;
}

bool& DebugOutput() {
    static bool debugOutput = false;
    return debugOutput;
}
