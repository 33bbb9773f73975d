// The drawing header: extents, limits and view of what was drawn, the
// creation date, the first viewport, and the application record.
#include "construction/drawing_header.h"

#include <cmath>
#include <ctime>

#include "construction/layers.h"
#include "construction/linetypes.h"

namespace penloom {

namespace {

// The aspect ratio a viewport keeps when the drawing's own is unusable.
constexpr double kDefaultAspect = 0.688564;

JulianDate now_as_julian_date() {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return julian_date(local.tm_mday, local.tm_mon + 1, local.tm_year + 1900, local.tm_hour, local.tm_min,
                       local.tm_sec);
}

}  // namespace

JulianDate julian_date(int day, int month, int year, int hour, int minute, int second) {
    JulianDate date;
    if (day == 0 && month == 0 && year == 0 && hour == 0 && minute == 0 && second == 0) return date;
    long m = month, y = year;
    if (m < 3) {
        m += 9;
        y -= 1;
    } else {
        m -= 3;
    }
    long c = y / 100;
    long a = y - 100 * c;
    date.day = static_cast<std::int32_t>((146097 * c) / 4 + (1461 * a) / 4 + (153 * m + 2) / 5 + day + 1721119);
    date.milliseconds = ((hour * 60 + minute) * 60 + second) * 1000;
    return date;
}

ViewFit fit_view(double width, double height, double present_height) {
    ViewFit fit{kDefaultAspect, height};
    if (height > 0.01) {
        double ratio = width / height;
        if (ratio >= 0.1 && ratio <= 10.0) fit.aspect = ratio;
    }
    if (fit.height < 1e-6) {
        fit.height = width * kDefaultAspect;
        if (fit.height < 1e-6) {
            fit.height = std::fabs(present_height);
            if (fit.height < 0.5) fit.height = 0.5;
        }
    }
    return fit;
}

void set_drawing_header(DrawingState& state, Output& out, const Settings& settings,
                        const DrawingOptions& options, const DrawingExtents& extents) {
    Drawing& drawing = *state.drawing;
    double xmin = extents.min_x, ymin = extents.min_y;
    double xmax = extents.max_x, ymax = extents.max_y;

    HeaderRecord header;
    get_header(drawing, header);
    header.extmin = {xmin, ymin, 0.0};
    header.extmax = {xmax, ymax, 0.0};
    header.limmin = {xmin - 10.0, ymin - 10.0};
    header.limmax = {xmax + 10.0, ymax + 10.0};
    header.viewctr = {(xmin + xmax) * 0.5, (ymin + ymax) * 0.5};
    header.viewsize = ymax - ymin;
    header.fillmode = 1;
    header.coords = 1;
    header.codepage = static_cast<std::int16_t>(settings.DWGCodePageIndex);
    header.ltscale = 1.0;
    header.plinegen = 0;
    header.pstylemode = 1;
    header.tdcreate = now_as_julian_date();
    header.tdupdate = header.tdcreate;
    if (options.OutputRelease < version_r14) header.handling = 0;
    set_header(drawing, header);

    VportTableRecord vport;
    if (!first_vport(drawing) || !next_vport(drawing, vport)) return;
    vport.view_center = {(xmin + xmax) * 0.5, (ymin + ymax) * 0.5};
    ViewFit fit = fit_view(xmax - xmin, ymax - ymin, vport.view_height);
    vport.aspect_ratio = fit.aspect;
    vport.view_height = fit.height;
    if (!replace_vport(drawing, vport)) report_database_error(state, out, settings, 33);
}

void add_application(DrawingState& state) {
    Drawing& drawing = *state.drawing;
    RegAppTableRecord app;
    init_regapp_record(app);
    new_handle(drawing, app.handle);
    app.name = "PENLOOM";
    add_regapp(drawing, app);
}

void finish_drawing(DrawingState& state, Output& out, const Settings& settings,
                    const DrawingOptions& options, const DrawingExtents& extents) {
    set_drawing_header(state, out, settings, options, extents);
    create_drawing_linetypes(state, out, settings);
    add_used_layers(state, options.mono);
    add_application(state);
}

}  // namespace penloom
