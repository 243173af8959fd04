// FileScanner: file input. Every file named by the scanned rows of the "Files" grid is one
// input stream, read through a sliding window (so a file of any size takes the same
// memory), between the client's run begin and run end.
//
// For each file: the "StreamName", "FullStreamName", "FileDate" and "FileDateTime" sources
// are set, " Scanning" and the path is shown, and the file is opened. A file that cannot be
// opened is logged ("Unable to open"); a file created after the run started, or written by
// this run (its outputs and its log), is bypassed with a log line; any other file is announced to the
// destinations (so that wildcard outputs follow it) and scanned by the engine. Every file
// visited is counted (as its scan starts), and the summary is "Files scanned:  " and the count. A halt request
// of level 2 ends the walk before the next file. While a scan goes on, other threads may read
// how far it has come (filesVisited, bytesRead): the counts grow once per file and once per
// window fill, never per byte.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "definitions/PXGrids.h"
#include "engine/ClientSource.h"
#include "run/PXScanner.h"

class PXClient;

class FileScanner : public PXScanner {
public:
    // Columns of the "Files" grid.
    static constexpr int32_t scanCol = 0;
    static constexpr int32_t specCol = 1;
    static constexpr int32_t subdirCol = 2;
    static constexpr int32_t hiddenCol = 3;

    // Builds the "Files" grid and registers it and the file sources with the client.
    explicit FileScanner(PXClient& client);

    int32_t scan(PXInst& run) override;

    PXGrid files;
    // Called after every file visited, with its path and its size in bytes (0 when it was
    // not scanned), for hosts that show progress.
    std::function<void(const char* path, int64_t bytes)> fileDone;
    // Progress of the scan under way (both 0 at its start): the files visited, the current one
    // among them from the moment its scan starts, and the bytes read from the files scanned,
    // the current one as far as its window has read.
    std::atomic<int64_t> filesVisited{0};
    std::atomic<int64_t> bytesRead{0};

private:
    PXClient& client_;
    StreamName streamName_;
    ClientSource fullStreamName_{1930};
    ClientSource fileDate_{1955};
    ClientSource fileDateTime_{1956};
};
