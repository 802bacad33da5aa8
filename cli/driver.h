// The whole run of the tool, from banner to exit status.
#pragma once

// argv[0] is the program name; exactly one more argument, the volume file's
// path, is expected. Returns the exit status: 0 when all went well (the
// file was repaired, found sound, or left alone at the user's word); the
// number of characters of the message for a failure the tool reports; -1
// when the volume file did not close cleanly.
int run(int argc, const char* const* argv);
