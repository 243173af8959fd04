#include "run/FileScanner.h"

#include "definitions/PXClientSchema.h"
#include "engine/IPXEngine.h"
#include "foundation/XXINBUF.h"
#include "foundation/XXSTREAM.h"
#include "foundation/XXSTRTABLE.h"
#include "run/FileGridIterator.h"
#include "run/PXClient.h"

FileScanner::FileScanner(PXClient& client) : client_(client) {
    PXClientChoosers choosers;
    choosers.fileName = client.fieldHelper(0);
    buildFilesGrid(files, choosers);
    client.addInputGrid(files);
    client.addSource(streamName_);
    client.addSource(fullStreamName_);
    client.addSource(fileDate_);
    client.addSource(fileDateTime_);
}

int32_t FileScanner::scan(PXInst& run) {
    XXSTREAM input;
    XXINBUF buffer;
    buffer.setStream(&input);
    IXXINBUF* const previousBuffer = run.buffer;
    IXXINBUF* const previousSource = client_.inputBufferSource().buffer();
    run.buffer = &buffer;
    client_.inputBufferSource().setBuffer(&buffer);

    client_.runBegin(run);

    int32_t count = 0;
    FileGridIterator it(&files, specCol, scanCol, subdirCol, hiddenCol);
    while (it.next()) {
        if (run.haltAtLeast(2)) break;
        const XXSTRING path(it.fullPath());
        run.matchCount = 0;
        streamName_.setFromPath(path);
        fullStreamName_.setText(path);
        XXSTRING note;
        note << " " << loadString(1075) << " " << path;
        client_.message(note);
        int64_t bytes = 0;
        if (input.open(path, XXSTREAM::readRaw)) {
            fileDate_.setText(input.fileDate(0));
            fileDateTime_.setText(input.fileDateTime(0));
            // Made after the run began, or written by this run however close in time.
            if (input.createdAfter(client_.runStartTime()) || client_.wroteDuringRun(path)) {
                XXMSG log(2);
                log << loadString(1076) << ": " << path << toLog;
            } else {
                client_.destinations().notifyAll(2, it.spec(), path);
                // Taken first: the scan closes the stream when it ends.
                bytes = input.fileSize();
                if (IPXEngine* engine = client_.engine()) engine->scanStream(run);
            }
            input.close();
        } else {
            client_.cannotOpen(path);
        }
        ++count;
        if (fileDone) fileDone(path, bytes);
    }

    streamName_.setText("");
    fullStreamName_.setText("");
    fileDate_.setText("");
    fileDateTime_.setText("");

    XXSTRING summary;
    summary << loadString(1065) << ":  " << count;
    client_.runEnd(run, summary);
    // The buffer goes with this call; nothing may point at it afterwards.
    run.buffer = previousBuffer;
    client_.inputBufferSource().setBuffer(previousSource);
    return 2;
}
