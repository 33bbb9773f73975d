// The batch loop: input files in, one translate_one per drawing, page-
// numbered names for the later pages of an input, and the closing line.
#include "driver/batch.h"

#include <cstdio>

#include "construction/fatal.h"
#include "construction/layers.h"
#include "driver/context.h"
#include "driver/file_search.h"
#include "driver/parallel_batch.h"
#include "driver/paths.h"
#include "driver/pipeline.h"
#include "interpreter/page_commands.h"

namespace penloom {

void apply_settings_defaults(BatchState& batch, const Settings& settings) {
    batch.OutputRelease = settings.verDXF;
    batch.mono = settings.mono != 0;
    batch.parse_trace = settings.Parser != 0;
    batch.rotation = settings.RotateC;
    batch.jobs = settings.Jobs;
}

void start_search(BatchState& batch) {
    if (batch.search_started) return;
    batch.found_files = find_matching_files(batch.input_pattern);
    batch.next_found = 0;
    batch.search_started = true;
}

bool next_input(BatchState& batch) {
    if (!batch.wildcard) return true;
    start_search(batch);
    if (batch.next_found >= batch.found_files.size()) {
        batch.found_files.clear();
        batch.next_found = 0;
        return false;
    }
    batch.input_name = batch.found_files[batch.next_found++];
    batch.input_path = batch.wildcard_folder + batch.input_name;
    return true;
}

void fix_output_name(Context& ctx) {
    BatchState& batch = ctx.batch;
    const int page_counter = ctx.gs.page_counter;
    if (!batch.wildcard && page_counter == 0) {
        if (batch.output_folder.empty()) batch.output_folder = folder_of(batch.output_name);
        return;
    }
    std::string name = batch.output_folder + base_name_of(batch.input_name);
    if (page_counter > 0) {
        char page[16];
        std::snprintf(page, sizeof page, "-%d", page_counter + 1);
        name += page;
    }
    if (batch.extension_selector == 1)
        name += ".DXF";
    else if (batch.extension_selector == 2)
        name += ".DWG";
    else
        name += ctx.settings.output_is_dwg ? ".DWG" : ".DXF";
    if (extension_is(name, "dwg")) {
        batch.output_is_dwg = true;
    } else if (extension_is(name, "dxf")) {
        batch.output_is_dwg = false;
    } else {
        ctx.out.print("ERROR: Output file should be DXF or DWG\n");
        throw FatalExit{1};
    }
    batch.output_name = name;
}

int run_batch(Context& ctx) {
    BatchState& batch = ctx.batch;
    if (batch.wildcard && batch.jobs != 1) {
        start_search(batch);
        if (const int jobs = parallel_jobs(ctx); jobs > 1) return run_parallel_batch(ctx, jobs);
    }
    int result = 0;
    for (;;) {
        if (!batch.continue_input && !next_input(batch)) break;
        fix_output_name(ctx);
        build_layer_table(ctx.interpreter);
        result = translate_one(ctx, batch.continue_input);
        if (result != 0) break;
        if (!batch.continue_input) {
            ++batch.files_processed;
            if (!batch.wildcard) break;
            // The next file starts on its first page.
            start_input_file(ctx.gs);
            release_plot_input(ctx);
        }
    }
    release_plot_input(ctx);
    ctx.out.print(batch.test_run ? "End Test Run." : "End Translation.");
    ctx.out.print(" (%d files processed)\n", batch.files_processed);
    return result;
}

}  // namespace penloom
