// The host program's pure parts (argument parsing, JSON, key decoding, the
// status display) are compiled into this test program too, so that they can
// be tested without running cvmp3. The parts that drive the controls are
// tested by running the built program.
#include "cli/Arguments.cpp"
#include "cli/Json.cpp"
#include "cli/StatusDisplay.cpp"
#include "cli/Terminal.cpp"
