// An in-memory volume file and a scripted key, linked into the driver tests
// in place of the real platform files, so that every failure the file layer
// can report is reachable.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct FakeVolume {
    std::vector<unsigned char> bytes;  // the file's contents
    bool exists = true;

    // Failure injection. A call number counts from 1; 0 means never.
    int fail_seek_call = 0;
    std::int64_t read_result = -2;   // -2: move what was asked for
    std::int64_t write_result = -2;  // -2: move what was asked for
    bool flush_fails = false;
    // False: the path no longer names the open file (renamed over, deleted).
    bool still_named = true;
    bool close_fails = false;
    // Grows the file by this many bytes just before the Nth seek, as a
    // writer that ignores the lock would.
    int grow_before_seek_call = 0;
    std::size_t grow_by = 0;

    // What happened.
    std::string opened_path;
    int open_calls = 0;
    int seek_calls = 0;
    int read_calls = 0;
    int write_calls = 0;
    int flush_calls = 0;
    int close_calls = 0;
    std::int64_t position = 0;
    bool is_open = false;
};

extern FakeVolume fake_volume;

struct FakeKey {
    int answer = 'Y';
    int calls = 0;
    std::string echoed;  // what the driver showed on the console itself
};

extern FakeKey fake_key;
