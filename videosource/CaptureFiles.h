// Names and files of captured frames, for TActiveMovie: the automatic file names, the
// process-wide sequence counters, and the BMP and JPEG writers of a frame.
//
// Names are StoragePath + "/" + prefix + body + "." + extension. A StoragePath that already
// ends in "/" does not get a second one; an empty one stands for the current folder.
// The body is either a sequence number of at least six digits (000001, 1000000) or the local
// date and time "yymmdd_hhmmss_zzz". Sequence numbers count up in memory, one counter per
// extension for the whole process whatever the folder or prefix; a counter still at 0 is
// first raised to the highest number already on disk, and a number whose name is taken (in
// another folder, or by another prefix) is skipped. A date-and-time name that already exists
// (two captures in the same millisecond) becomes name_1.ext, name_2.ext... So no capture
// replaces a file.
//
// Thread: the user-interface thread; the counters are plain numbers, unguarded.
#pragma once

#include "framework/Jpeg.h"

#include <chrono>
#include <cstdint>
#include <string>

class TBitmap;

// How automatic names are made.
struct TCaptureNaming {
    std::string StoragePath;
    std::string Prefix = "am";
    bool DateTime = false; // the date and time instead of a sequence number
};

// The process-wide sequence counters of names ending in "bmp" and in "jpg"; 0 at start.
std::int32_t& BmpSequenceCounter();
std::int32_t& JpgSequenceCounter();

// Raises `counter` to the highest number N among the ordinary files of the folder named
// Prefix + N + "." ... with the extension `ext`: the prefix must match exactly (case
// included), and the characters between it and the first "." must form a decimal number
// (a sign allowed) that fits 32 bits. Other names, and a folder that cannot be read, change
// nothing.
void FindLastSequenceNumber(std::int32_t& counter, const std::string& ext, const TCaptureNaming& naming);

// The next automatic name with the extension `ext` (without its dot). With a sequence
// number, a counter at 0 is first raised by FindLastSequenceNumber, then counted up to the
// next number whose name is free. Throws Exception, leaving the counter at its last number,
// once the last number (2147483647) has been used: a name is never given twice.
std::string MakeCaptureFileName(std::int32_t& counter, const std::string& ext, const TCaptureNaming& naming,
                                std::chrono::system_clock::time_point now = std::chrono::system_clock::now());

// The name a file snapshot writes to: an empty `fileName` becomes the next automatic name
// ("bmp" counter for BMP, "jpg" counter for JPEG; throws as MakeCaptureFileName does); a name
// without any "." (anywhere in the path) gets ".bmp" for BMP and ".jpeg" for JPEG; any other
// name is kept.
void CompleteSnapshotFileName(std::string& fileName, bool jpeg, const TCaptureNaming& naming);

// The JPEG settings of the component.
struct TCaptureJpegSettings {
    TJPEGQualityRange Quality = 100;
    TJPEGPerformance Performance = jpBestQuality;
    bool ProgressiveDisplay = false;
};

// Writes `frame` as a BMP file of its own pixel format, whole or not at all (see
// TGraphic::SaveToFile). Throws what the writing throws (EInOutError for a file that cannot
// be written).
void WriteCaptureBmp(TBitmap& frame, const std::string& fileName);
// Writes a copy of `frame` as a JPEG file with the settings; the scans are progressive only
// when `progressiveEncoding` is set (the frame delivery passes ProgressiveDisplay, file
// snapshots pass false). Throws EInOutError or EJPEG.
void WriteCaptureJpeg(const TBitmap& frame, const std::string& fileName, const TCaptureJpegSettings& settings,
                      bool progressiveEncoding);
