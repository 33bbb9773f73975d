// The ENTITIES text of a DXF save, formatted beside the interpreter; not for
// callers (drawing.h has begin_dxf_body and the announcements).
//
// In: the entity records of the drawing's store, as the store hands its full
// pieces to its temporary file, and the names of the layer, linetype and
// text style records as they are added or announced. Out: the groups of the
// model-space entities, in store order, in an unnamed file in the output's
// folder; the save writes the header, classes, tables and blocks (which need
// the finished drawing) and copies this text in behind them with the kernel.
//
// The formatter thread reads only what the store has written to its file
// (immutable from then on) and, at the end, a copy of the store's last
// piece: the store's file is the queue between the threads, and memory stays
// at the formatter's two read windows and its output buffer however far it
// lags. Names are read under a lock from LiveNames, which the interpreter's
// table operations keep up to date; every name the formatter used, and every
// handle it found no name for, is kept, and the save takes the text only
// when the finished tables give the same answers (dxf_body_fits). Otherwise,
// and for any other save, the file is written whole as before.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <unordered_map>

#include "drawing/dxf_writer_internal.h"

namespace penloom {

// Record names by handle as the interpreter's thread last gave them, as
// stored (not yet converted for the release).
struct LiveNames {
    std::mutex mutex;
    std::unordered_map<std::uint64_t, std::string> names[name_table_count];
};

struct DxfBody {
    // Fixed before the thread starts.
    int version = version_2000;
    int decimal_places = 6;
    Block owner;                      // the model space, whose entities these are
    std::uint16_t lwpolyline_code = 0;
    std::uint16_t hatch_code = 0;
    std::uint64_t copy_piece = 1;     // the library's copy_piece

    LiveNames live;

    // Between the threads, under `mutex`.
    std::mutex mutex;
    std::condition_variable wake;
    int store_fd = -1;                // a duplicate of the store's file once it has one
    std::uint64_t published = 0;      // store bytes in that file
    bool finishing = false;           // the drawing is complete: final_tail is the rest
    bool stopping = false;            // the drawing goes away unsaved, or the save has no use for it
    bool done = false;                // the formatter thread has ended
    std::condition_variable wake_saver;                  // at every write of the text, and at the end
    std::atomic<std::uint64_t> progress{0};              // bytes of the text in its file
    std::atomic<bool> abandon{false};                    // stop at the next entity
    std::unique_ptr<std::uint8_t[]> final_tail;
    std::uint64_t final_size = 0;

    // The formatter thread's own; the save reads them after the join.
    EntityStore view;                 // the part of the store handed over so far
    SpillFile text;                   // the formatted entities
    DxfOut out;
    std::unique_ptr<SaveContext> context;
    bool failed = false;              // a damaged record, a failed write, no memory
    std::thread thread;
};

// Hands the formatter the rest of the store and takes it out of the drawing
// (it goes on formatting what is left). Null when none was running.
std::unique_ptr<DxfBody, DxfBodyDelete> finish_dxf_body(Drawing& drawing);

// Whether the text is formatted for the save described by c (release,
// places, flags, entity lists). Without, the formatter is stopped.
bool dxf_body_suits(DxfBody& body, const SaveContext& c, bool negative_zero);

// Writes out what out holds, then copies the formatted text behind it (in
// the kernel where it can): what is formatted already while the formatter
// finishes, the rest once it has. False when a write failed (out failed)
// or the text cannot be used after all: the formatter failed, or a name it
// used is not the name in c, the save's view of the finished tables.
bool copy_dxf_body(DxfBody& body, const SaveContext& c, DxfOut& out);

}  // namespace penloom
