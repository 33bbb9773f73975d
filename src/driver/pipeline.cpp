// The per-file pipeline: progress line, opening the plot file (with the
// system's diagnosis when it cannot be read) and its parse trace,
// classification, the drawing's creation, the interpreter run over one
// page, the drawing's finishing, the save and the release.
#include "driver/pipeline.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "construction/ascii_case.h"
#include "construction/drawing_header.h"
#include "construction/fatal.h"
#include "construction/layers.h"
#include "construction/linetypes.h"
#include "construction/text_styles.h"
#include "driver/classify.h"
#include "driver/context.h"
#include "driver/converter.h"
#include "driver/file_search.h"
#include "driver/paths.h"
#include "driver/plot_stream.h"
#include "input/parse_trace.h"
#include "interpreter/fonts.h"
#include "interpreter/page_commands.h"

namespace penloom {

namespace {

const std::string& input_path_of(const BatchState& batch) {
    return batch.wildcard ? batch.input_path : batch.input_name;
}

// Says why the input cannot be read: the system's own reason when even a
// plain open fails, otherwise that something else holds the file.
void explain_open_failure(Output& out, const std::string& native) {
    int fd = ::open(native.c_str(), O_RDONLY);
    if (fd < 0) {
        out.print("Error: %s\n", std::strerror(errno));
        return;
    }
    struct stat info {};
    bool folder = ::fstat(fd, &info) == 0 && S_ISDIR(info.st_mode);
    ::close(fd);
    if (folder)
        out.print("Error: %s\n", std::strerror(EISDIR));
    else
        out.print("Has another application got this file open?\n");
}

// A folder opens as a stream here but can never be read as a plot file.
std::FILE* open_for_reading(const std::string& native) {
    std::FILE* file = std::fopen(native.c_str(), "rb");
    if (file == nullptr) return nullptr;
    struct stat info {};
    if (::fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

}  // namespace

void print_progress_line(Context& ctx) {
    const BatchState& batch = ctx.batch;
    ctx.out.print("%s -> %s (R%s format) ", batch.input_name.c_str(), batch.output_name.c_str(),
                  release_text(batch.OutputRelease));
    if (batch.rotation != 0) ctx.out.print(" : rotated %d degrees", batch.rotation);
}

void open_plot_file(Context& ctx, bool continue_input) {
    BatchState& batch = ctx.batch;
    PipelineState& pipeline = ctx.pipeline;
    const std::string& path = input_path_of(batch);
    if (!continue_input) {
        std::string native = resolve_existing_name(path);
        std::FILE* file = open_for_reading(native);
        if (file == nullptr) {
            ctx.out.print("\nError: Could not open Plot File: %s\n", batch.input_name.c_str());
            explain_open_failure(ctx.out, native);
            throw FatalExit{-1};
        }
        pipeline.input.reset(file);
        pipeline.input_is_plx = extension_is(path, "plx");
        pipeline.trace_path.clear();
    }
    // Tracing a PLX file would overwrite the very trace being replayed.
    if (pipeline.input_is_plx) {
        batch.parse_trace = false;
        pipeline.trace_path.clear();
    } else if (batch.parse_trace && pipeline.trace_path.empty()) {
        // One trace file per input file: a continued input keeps its name.
        pipeline.trace_path = path;
        replace_extension(pipeline.trace_path, "plx");
    }
}

void close_plot_files(Context& ctx) {
    if (ctx.pipeline.keep_input_open) return;
    release_plot_input(ctx);
}

void release_plot_input(Context& ctx) {
    PipelineState& pipeline = ctx.pipeline;
    detach_plot_input(ctx.gs.reader);
    close_trace_file(ctx.gs.reader);
    pipeline.keep_input_open = false;
    pipeline.input.reset();
}

namespace {

// First pass over an input file: hand it to the reader, start its parse
// trace and classify it. A refused file ends the run.
void start_plot_input(Context& ctx) {
    PipelineState& pipeline = ctx.pipeline;
    pipeline.file_length = file_length_of(input_path_of(ctx.batch));
    attach_plot_file(ctx.gs.reader, pipeline.input.get(), pipeline.file_length, pipeline.input_is_plx);
    if (!pipeline.trace_path.empty() && !open_trace_file(ctx.gs.reader, pipeline.trace_path))
        ctx.out.print("\nWarning: Could not write the parse trace %s\n", pipeline.trace_path.c_str());
    Classification kind = classify_plot_file(ctx.gs.reader, ctx.gs.language);
    if (!kind.go_ahead) {
        release_plot_input(ctx);
        print_refusal(ctx.out, kind);
        throw FatalExit{1};
    }
}

// The DXF file the save will write for this output (the output itself, or
// the 2000 DXF the converter starts from), when it writes one.
bool planned_dxf(const Context& ctx, std::string& path, int& version) {
    const BatchState& batch = ctx.batch;
    if (batch.output_is_dwg) return false;
    path = batch.output_name;
    version = batch.OutputRelease;
    if (batch.OutputRelease > version_2000) {
        replace_file_name(path, "~tmphp~.dxf");
        version = version_2000;
    }
    return true;
}

// The entities of a DXF output are formatted on a second thread while the
// interpreter runs; the save puts the header and tables in front. Without
// it (no thread, no room in the output folder) the save does all the work.
// On a single core, and in a parallel batch, whose other cores have files
// of their own, a formatter would only add its copy of the text.
void start_entity_text(Context& ctx) {
    if (!ctx.pipeline.staging_prefix.empty() || ::sysconf(_SC_NPROCESSORS_ONLN) < 2) return;
    std::string path;
    int version = 0;
    if (ctx.drawing.drawing && planned_dxf(ctx, path, version))
        (void)begin_dxf_body(*ctx.drawing.drawing, path, version, ctx.settings.DecimalPlaces);
}

// Interprets one page into a new drawing. Returns 0 or the status of a
// drawing that could not be created.
int translate_page(Context& ctx, bool& continue_input) {
    GraphicsState& gs = ctx.gs;
    if (!continue_input) start_input_file(gs);
    initialize_file_state(ctx.interpreter);
    open_plot_file(ctx, continue_input);
    if (!continue_input) start_plot_input(ctx);
    if (int status = create_output_drawing(ctx.drawing, ctx.out, ctx.settings, ctx.batch); status != 0) {
        release_plot_input(ctx);
        continue_input = false;
        return status;
    }
    start_entity_text(ctx);
    begin_drawing_text_styles(ctx.interpreter);
    begin_drawing_layers(ctx.interpreter);
    begin_drawing_linetypes(ctx.drawing);
    run_plot_stream(ctx.interpreter);
    finish_drawing(ctx.drawing, ctx.out, ctx.settings, ctx.batch, ctx.gs.extents);
    ctx.pipeline.keep_input_open = input_continues(gs);
    close_plot_files(ctx);
    continue_input = ctx.pipeline.keep_input_open;
    return 0;
}

// Writes the drawing to `path` as `kind` at `version`; on failure prints the
// save error and returns 100 + the database error (100 alone when it has none).
int write_drawing(Context& ctx, const std::string& path, int kind, int version, int places) {
    DrawingState& state = ctx.drawing;
    if (save_drawing(*state.drawing, path, kind, version, false, places, 1, 0)) return 0;
    int number = last_error(state.library);
    ctx.out.print("\nERROR Saving file: %s", ctx.batch.output_name.c_str());
    const char* hint = "\nIs the disk full? Is the file already open in another application (e.g. AutoCAD?)";
    if (number == 0) {
        ctx.out.print("%s", hint);
        return 100;
    }
    if (number == 3) ctx.out.print("%s", hint);
    report_database_error(ctx.drawing, ctx.out, ctx.settings, 3);
    return 100 + number;
}

// Where this drawing is written: its output name, or a stand-in name in a
// parallel batch. A folder of the output name takes no drawing: the save
// goes there to fail as it fails in a one-at-a-time run.
std::string save_target(const PipelineState& pipeline, const std::string& output_name) {
    if (pipeline.staging_prefix.empty() || folder_exists(output_name)) return output_name;
    return pipeline.staging_prefix + std::to_string(pipeline.staged.size()) + ".tmp";
}

// Writes the drawing to `target` as the output name asks (directly, or
// through "~tmphp~.dxf" and the converter). Returns 0, 100 + the database
// error, or the converter's status.
int save_drawing_to(Context& ctx, const std::string& target) {
    const BatchState& batch = ctx.batch;
    std::string temporary = batch.output_name;
    replace_file_name(temporary, "~tmphp~.dxf");
    // DWG of R12 to 2004 is written by the database itself. With `trace` on,
    // a DXF of the same drawing and release (2000 for a 2004 DWG: the DXF
    // writer stops there) is kept beside it for inspection, written first so
    // that it stays even when the DWG fails.
    if (batch.output_is_dwg && batch.OutputRelease >= version_r12 && batch.OutputRelease <= version_2004) {
        if (ctx.settings.trace != 0) {
            const int status = write_drawing(ctx, temporary, file_kind_ascii_dxf,
                                             std::min<int>(batch.OutputRelease, version_2000),
                                             ctx.settings.DecimalPlaces);
            if (status != 0) return status;
        }
        return write_drawing(ctx, target, file_kind_dwg, batch.OutputRelease, 6);
    }
    // Newer DXF releases, and DWG of the other releases (which the converter
    // refuses), go through the converter from a 2000 DXF.
    bool convert = batch.OutputRelease > version_2000 || batch.output_is_dwg;
    if (!convert)
        return write_drawing(ctx, target, file_kind_ascii_dxf, batch.OutputRelease,
                             ctx.settings.DecimalPlaces);
    int places = batch.output_is_dwg ? 6 : ctx.settings.DecimalPlaces;
    if (int status = write_drawing(ctx, temporary, file_kind_ascii_dxf, version_2000, places);
        status != 0)
        return status;
    // The switch follows the release asked for, not the 2000 the file was saved at.
    int status = convert_dxf_to_dwg(ctx, temporary, target, release_switch(batch.OutputRelease));
    if (ctx.settings.trace == 0) std::remove(temporary.c_str());
    return status;
}

}  // namespace

int save_output(Context& ctx) {
    const BatchState& batch = ctx.batch;
    if (equals_nocase(batch.output_name, batch.input_name)) {
        ctx.out.print("ERROR: Input and Output file names identical.\n");
        throw FatalExit{-1};
    }
    if (batch.test_run) return 0;
    if (!ctx.drawing.drawing) return 0;
    const std::string target = save_target(ctx.pipeline, batch.output_name);
    const int status = save_drawing_to(ctx, target);
    if (status == 0 && target != batch.output_name)
        ctx.pipeline.staged.push_back(StagedDrawing{target, batch.output_name});
    return status;
}

int translate_one(Context& ctx, bool& continue_input) {
    print_progress_line(ctx);
    int status = 0;
    if (!ctx.batch.test_run) status = translate_page(ctx, continue_input);
    if (status == 0) status = save_output(ctx);
    release_output_drawing(ctx.drawing);
    if (!ctx.batch.test_run && status == 0) ctx.out.print(" OK.");
    if (status == -51 || status == -52 || status == -53) return status;
    ctx.out.print("\n");
    return status;
}

}  // namespace penloom
