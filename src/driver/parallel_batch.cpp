// The parallel batch. Workers take the files in input order, each into a
// context of its own: its own output buffer, settings reader, interpreter
// and drawing. The main thread takes
// the finished files in input order: prints their text, renames their
// drawings and stops at the first failure exactly where a one-at-a-time run
// stops. Workers run at most 2 x jobs files ahead of the main thread, so the
// text and stand-in drawings waiting are bounded.
//
// A file can hand state on to the next one (an absolute character size,
// the number of pens, a pen left down: see carried_state.h). Workers start
// a file from the state the last file the main thread took handed on (at
// first a fresh run's), as files of one batch tend to leave the same state
// behind. When the file before hands on anything else, the main thread
// translates the file again, in the context the file before left behind.
#include "driver/parallel_batch.h"

#include <unistd.h>

#include <algorithm>
#include <condition_variable>
#include <cstdio>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "construction/fatal.h"
#include "construction/layers.h"
#include "driver/batch.h"
#include "driver/carried_state.h"
#include "driver/command_line.h"
#include "driver/context.h"
#include "driver/paths.h"
#include "driver/pipeline.h"
#include "interpreter/page_commands.h"

namespace penloom {

namespace {

// One file of the batch, as its worker left it.
struct FileResult {
    bool done = false;
    int status = 0;            // 0, or the status that ends the batch
    bool fatal = false;        // the status is a fatal exit's
    std::exception_ptr error;  // anything else thrown
    std::string text;          // everything the file printed
    std::vector<StagedDrawing> staged;
    bool began_with_numbers = false;   // see ends_on_instruction
    std::shared_ptr<const GraphicsState> start;  // what it started from; none: a fresh run's state
    std::unique_ptr<Context> context;  // reset for the next file (successful files only)
};

// The run as its batch loop starts (copied: the workers never touch the
// run's own context), and the hand-over between workers and main thread.
struct Batch {
    Settings settings;
    BatchState start;  // with the found files
    std::string program_folder;
    std::string staging;  // prefix of stand-in names
    std::size_t window = 0;

    std::mutex mutex;
    std::condition_variable changed;
    std::size_t next = 0;       // the next file a worker takes
    std::size_t committed = 0;  // files the main thread has finished with
    bool stop = false;
    std::shared_ptr<const GraphicsState> start_state;  // what workers start files from; none: fresh
    std::vector<FileResult> results;
};

// A context as the run's is when its batch loop starts.
std::unique_ptr<Context> fresh_context(const Batch& batch) {
    auto ctx = std::make_unique<Context>();
    ctx->settings = batch.settings;
    ctx->batch = batch.start;
    ctx->batch.found_files.clear();
    ctx->program_folder = batch.program_folder;
    locate_settings_file(ctx->profile, ctx->program_folder);
    select_section(ctx->profile, "Settings");
    return ctx;
}

// Prepares the state for the next file as the batch loop would.
void start_next_file(Context& ctx) {
    start_input_file(ctx.gs);
    initialize_file_state(ctx.interpreter);
}

// Translates every page of one input file in `ctx`, as the batch loop does.
// The stand-in names of its drawings carry the file's index and `tag`.
void translate_file(const Batch& batch, std::size_t index, std::unique_ptr<Context> ctx, const char* tag,
                    FileResult& result) {
    BatchState& state = ctx->batch;
    state.input_name = batch.start.found_files[index];
    state.input_path = state.wildcard_folder + state.input_name;
    state.continue_input = false;
    ctx->gs.tokens.repeated_before_first = false;
    ctx->pipeline.staging_prefix = batch.staging + std::to_string(index) + tag;
    try {
        for (;;) {
            fix_output_name(*ctx);
            build_layer_table(ctx->interpreter);
            result.status = translate_one(*ctx, state.continue_input);
            if (result.status != 0 || !state.continue_input) break;
        }
    } catch (const FatalExit& fatal) {
        result.fatal = true;
        result.status = fatal.status;
    } catch (...) {
        result.error = std::current_exception();
    }
    release_plot_input(*ctx);
    release_output_drawing(ctx->drawing);
    result.text = ctx->out.text();
    ctx->out.clear();
    result.staged = std::move(ctx->pipeline.staged);
    ctx->pipeline.staged.clear();
    ctx->pipeline.staging_prefix.clear();
    result.began_with_numbers = ctx->gs.tokens.repeated_before_first;
    if (result.status == 0 && !result.fatal && !result.error) {
        start_next_file(*ctx);
        result.context = std::move(ctx);
    }
}

void work(Batch& batch) {
    for (;;) {
        std::size_t index;
        std::shared_ptr<const GraphicsState> start;
        {
            std::unique_lock lock(batch.mutex);
            batch.changed.wait(lock, [&] {
                return batch.stop || batch.next >= batch.results.size() ||
                       batch.next < batch.committed + batch.window;
            });
            if (batch.stop || batch.next >= batch.results.size()) return;
            index = batch.next++;
            start = batch.start_state;
        }
        FileResult result;
        result.start = start;
        try {
            std::unique_ptr<Context> ctx = fresh_context(batch);
            if (start) copy_file_start(ctx->gs, *start);
            translate_file(batch, index, std::move(ctx), "-", result);
        } catch (...) {
            result.error = std::current_exception();
        }
        std::lock_guard lock(batch.mutex);
        result.done = true;
        batch.results[index] = std::move(result);
        batch.changed.notify_all();
    }
}

// Files not yet taken start from what this file handed on.
void publish_start(Batch& batch, const GraphicsState& handed_on, const GraphicsState& fresh) {
    std::shared_ptr<const GraphicsState> current;
    {
        std::lock_guard lock(batch.mutex);
        current = batch.start_state;
    }
    if (same_file_start(handed_on, current ? *current : fresh)) return;
    std::shared_ptr<GraphicsState> start;
    if (!same_file_start(handed_on, fresh)) {
        start = std::make_shared<GraphicsState>();
        copy_file_start(*start, handed_on);
    }
    std::lock_guard lock(batch.mutex);
    batch.start_state = std::move(start);
}

void remove_staged(const FileResult& result) {
    for (const StagedDrawing& drawing : result.staged) std::remove(drawing.staged_name.c_str());
}

// Gives the file's drawings their own names, in the order they were saved.
// The stand-in lies in the same folder and the save already refused an
// output name that is a folder, so a rename fails only when something
// changed the folder meanwhile; the stand-in is not left behind then.
void commit_drawings(const FileResult& result) {
    for (const StagedDrawing& drawing : result.staged)
        if (std::rename(drawing.staged_name.c_str(), drawing.output_name.c_str()) != 0)
            std::remove(drawing.staged_name.c_str());
}

// The workers, joined (after a stop) however the main thread leaves.
class Workers {
public:
    Workers(Batch& batch, int count) : batch_(batch) {
        for (int i = 0; i < count; ++i) threads_.emplace_back(work, std::ref(batch));
    }
    ~Workers() { stop(); }
    Workers(const Workers&) = delete;
    Workers& operator=(const Workers&) = delete;

    // Stops the workers, waits for them and removes the stand-in drawings of
    // every file not committed.
    void stop() {
        {
            std::lock_guard lock(batch_.mutex);
            batch_.stop = true;
        }
        batch_.changed.notify_all();
        for (std::thread& thread : threads_)
            if (thread.joinable()) thread.join();
        for (std::size_t i = batch_.committed; i < batch_.results.size(); ++i) remove_staged(batch_.results[i]);
    }

private:
    Batch& batch_;
    std::vector<std::thread> threads_;
};

}  // namespace

int parallel_jobs(const Context& ctx) {
    const BatchState& batch = ctx.batch;
    if (!batch.wildcard || batch.jobs == 1 || batch.found_files.size() < 2) return 1;
    long jobs = batch.jobs;
    if (jobs <= 0) jobs = ::sysconf(_SC_NPROCESSORS_ONLN);
    jobs = std::min<long>({jobs, max_jobs, static_cast<long>(batch.found_files.size())});
    if (jobs <= 1) return 1;
    if (ctx.settings.trace != 0 || batch.parse_trace) return 1;
    const bool dwg = batch.extension_selector == 2 || (batch.extension_selector == 0 && ctx.settings.output_is_dwg);
    const bool dwg_direct = dwg && batch.OutputRelease >= version_r12 && batch.OutputRelease <= version_2004;
    if (!dwg_direct && (batch.OutputRelease > version_2000 || dwg)) return 1;
    for (const std::string& name : batch.found_files)
        if (extension_is(name, "dxf") || extension_is(name, "dwg")) return 1;
    return static_cast<int>(jobs);
}

int run_parallel_batch(Context& ctx, int jobs) {
    BatchState& state = ctx.batch;
    Batch batch;
    batch.settings = ctx.settings;
    batch.start = state;
    batch.program_folder = ctx.program_folder;
    batch.window = 2 * static_cast<std::size_t>(jobs);
    batch.staging = state.output_folder + ".penloom-" + std::to_string(::getpid()) + "-";
    batch.results.resize(state.found_files.size());
    // What every file after the first is translated from.
    std::unique_ptr<Context> fresh = fresh_context(batch);
    start_next_file(*fresh);

    int status = 0;
    std::unique_ptr<Context> last;  // the context the last committed file left
    Workers workers(batch, jobs);
    for (std::size_t index = 0; index < batch.results.size(); ++index) {
        FileResult result;
        {
            std::unique_lock lock(batch.mutex);
            batch.changed.wait(lock, [&] { return batch.results[index].done; });
            result = std::move(batch.results[index]);
            batch.results[index] = FileResult{};
            batch.results[index].staged = result.staged;  // removed by stop() unless committed
        }
        const GraphicsState& expected = result.start ? *result.start : fresh->gs;
        if (last && (!same_file_start(last->gs, expected) ||
                     (result.began_with_numbers && ends_on_instruction(last->gs)))) {
            // Translated from the wrong start: again, from where the file before left off.
            remove_staged(result);
            result = FileResult{};
            try {
                translate_file(batch, index, std::move(last), "-again-", result);
            } catch (...) {
                result.error = std::current_exception();
            }
            std::lock_guard lock(batch.mutex);
            batch.results[index].staged = result.staged;
        }
        if (result.error) {
            workers.stop();
            std::rethrow_exception(result.error);
        }
        ctx.out.write(result.text);
        commit_drawings(result);
        {
            std::lock_guard lock(batch.mutex);
            batch.committed = index + 1;
        }
        batch.changed.notify_all();
        if (result.fatal) {
            workers.stop();
            throw FatalExit{result.status};
        }
        if (result.status != 0) {
            status = result.status;
            break;
        }
        ++state.files_processed;
        last = std::move(result.context);
        publish_start(batch, last->gs, fresh->gs);
    }
    workers.stop();
    release_plot_input(ctx);
    ctx.out.print(state.test_run ? "End Test Run." : "End Translation.");
    ctx.out.print(" (%d files processed)\n", state.files_processed);
    return status;
}

}  // namespace penloom
