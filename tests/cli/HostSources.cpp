// The host program's pure parts (the status display and key decoding) are
// compiled into this test program too, so that they can be tested without
// running cvmp3. The rest is tested by running the built program.
#include "cli/StatusDisplay.cpp"
#include "cli/Terminal.cpp"
