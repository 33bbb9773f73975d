// Pen motion: the open polyline and its end, PA, PR, PD, PU, XT, YT, TL.
#include "interpreter/vectors.h"

#include <cmath>
#include <new>

#include "construction/entity_emission.h"
#include "interpreter/interpreter_context.h"
#include "input/tokenizer.h"
#include "interpreter/handlers.h"
#include "interpreter/labels.h"
#include "interpreter/polygons.h"

namespace penloom {

namespace {

// Coordinates this close count as the same point.
constexpr double kSamePoint = 1e-10;

constexpr std::size_t kPathDoublingRoom = 65536;  // vertices

bool same_point(double ax, double ay, double bx, double by) {
    return std::fabs(ax - bx) <= kSamePoint && std::fabs(ay - by) <= kSamePoint;
}

// Room for one more vertex: 32 at first, then steps of 64, 128, ... 1024.
// The step carries over to later paths. From kPathDoublingRoom on the room
// doubles instead: fixed steps would copy a long path over and over
// (quadratic time for a path of a million points). False when memory ran out.
// Out of line: the list usually has room, which make_room checks first.
[[gnu::noinline]] bool grow_path(InterpreterContext& ctx, OpenPath& path) {
    std::vector<PathVertex>& list = path.vertices;
    try {
        if (list.capacity() == 0) {
            list.reserve(kPathFirstRoom);
        } else {
            if (path.growth_step < kPathLargestStep) path.growth_step *= 2;
            const std::size_t room = list.capacity();
            list.reserve(room >= kPathDoublingRoom ? 2 * room : room + path.growth_step);
        }
    } catch (const std::bad_alloc&) {
        if (list.capacity() == 0) ctx.out.print("MEM ALLOC ERR :\n");
        return false;
    }
    return true;
}

inline bool make_room(InterpreterContext& ctx, OpenPath& path) {
    return path.vertices.size() < path.vertices.capacity() || grow_path(ctx, path);
}

void set_carriage(GraphicsState& gs) {
    gs.carriage_x = gs.current_x;
    gs.carriage_y = gs.current_y;
}

// Where the segment a-b lies in the clip window: the parameters t0 <= t1
// of the visible part (edges included). False when no part is inside.
bool clip_segment(const GraphicsState& gs, const PathVertex& a, const PathVertex& b, double& t0,
                  double& t1) {
    t0 = 0.0;
    t1 = 1.0;
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {a.x - gs.clip_min_x, gs.clip_max_x - a.x, a.y - gs.clip_min_y,
                         gs.clip_max_y - a.y};
    for (int i = 0; i < 4; ++i) {
        if (p[i] == 0.0) {
            if (q[i] < 0.0) return false;
            continue;
        }
        const double r = q[i] / p[i];
        if (p[i] < 0.0) {
            if (r > t1) return false;
            if (r > t0) t0 = r;
        } else {
            if (r < t0) return false;
            if (r < t1) t1 = r;
        }
    }
    return !(t0 > t1) && !std::isnan(t0) && !std::isnan(t1);
}

void append_to_piece(std::vector<PathVertex>& piece, double x, double y) {
    if (!piece.empty() && same_point(piece.back().x, piece.back().y, x, y)) return;
    piece.push_back(PathVertex{x, y, 0.0});
}

void flush_piece(InterpreterContext& ctx, std::vector<PathVertex>& piece) {
    if (piece.size() > 1) emit_path_polyline(ctx, piece.data(), static_cast<int>(piece.size()));
    piece.clear();
}

// Hands the polyline over in the pieces that lie inside the clip window.
// Pieces are straight: arc segments become chords between their ends.
void emit_clipped(InterpreterContext& ctx, const PathVertex* v, int n) {
    const GraphicsState& gs = ctx.gs;
    std::vector<PathVertex>& piece = ctx.gs.path.piece;
    piece.clear();
    try {
        piece.reserve(static_cast<std::size_t>(n));
    } catch (const std::bad_alloc&) {
        return;
    }
    for (int i = 0; i + 1 < n; ++i) {
        const PathVertex& a = v[i];
        const PathVertex& b = v[i + 1];
        double t0, t1;
        if (!clip_segment(gs, a, b, t0, t1)) {
            flush_piece(ctx, piece);
            continue;
        }
        if (t0 > 0.0) flush_piece(ctx, piece);
        append_to_piece(piece, a.x + t0 * (b.x - a.x), a.y + t0 * (b.y - a.y));
        append_to_piece(piece, t1 < 1.0 ? a.x + t1 * (b.x - a.x) : b.x,
                        t1 < 1.0 ? a.y + t1 * (b.y - a.y) : b.y);
        if (t1 < 1.0) flush_piece(ctx, piece);
    }
    flush_piece(ctx, piece);
}

// A lone start point becomes a dot: a second vertex half a plotter unit
// further along the plotter's x axis (in user units while scaling).
bool make_dot(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    OpenPath& path = gs.path;
    path.vertices.clear();
    if (!make_room(ctx, path)) return false;
    path.vertices.push_back(PathVertex{gs.path_start_x, gs.path_start_y, 0.0});
    DrawingPoint back = inverse_transform(gs, gs.path_start_x, gs.path_start_y);
    const double sx = gs.scaling_on ? gs.scale_x : 1.0;
    DrawingPoint second = transform_point(gs, back.x + 0.5 / sx, back.y, true);
    if (!make_room(ctx, path)) return false;
    path.vertices.push_back(PathVertex{second.x, second.y, 0.0});
    path.count = 2;
    // A plot of dots alone still has extents to zoom to.
    grow_extents(gs, gs.path_start_x, gs.path_start_y);
    grow_extents(gs, second.x, second.y);
    return true;
}

// Finishes the open polyline (outside polygon mode).
void finish_polyline(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    OpenPath& path = gs.path;
    if (path.count == 0) return;
    if (path.count == 2 && path.vertices.size() >= 2 &&
        same_point(path.vertices[0].x, path.vertices[0].y, path.vertices[1].x, path.vertices[1].y)) {
        path.count = 1;
        gs.path_start_x = path.vertices[0].x;
        gs.path_start_y = path.vertices[0].y;
    }
    bool drawable = path.count >= 2;
    if (path.count == 1 && !gs.continued_path) drawable = make_dot(ctx);
    if (drawable) {
        const int n = static_cast<int>(path.vertices.size());
        if (gs.clipping_off)
            emit_path_polyline(ctx, path.vertices.data(), n);
        else
            emit_clipped(ctx, path.vertices.data(), n);
    }
    path.count = 0;
    path.vertices.clear();
    ++gs.path_counter;
}

// A parameter pair read by read_point: the point it names, absolute or
// added to the current position in relative plotting.
DrawingPoint target_of(const GraphicsState& gs) {
    DrawingPoint p{gs.tokens.values[0], gs.tokens.values[1]};
    if (gs.relative_plotting) {
        p.x += gs.current_x;
        p.y += gs.current_y;
    }
    return p;
}

// PA and PR once the plotting mode is set.
void plot_point(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    if (read_point(gs) == 2) {
        const DrawingPoint p = target_of(gs);
        gs.current_x = p.x;
        gs.current_y = p.y;
        if (gs.pen_down || gs.polygon_mode) add_path_vertex(ctx, p.x, p.y, 0.0, false);
    }
    set_carriage(gs);
    plot_symbol(ctx);
}

// XT and YT: out to one side, to the other, and back.
void add_tick(InterpreterContext& ctx, bool vertical) {
    GraphicsState& gs = ctx.gs;
    const double x = gs.current_x, y = gs.current_y, t = gs.tick_length;
    if (vertical) {
        add_path_vertex(ctx, x, y - t, 0.0, false);
        add_path_vertex(ctx, x, y + t, 0.0, false);
    } else {
        add_path_vertex(ctx, x - t, y, 0.0, false);
        add_path_vertex(ctx, x + t, y, 0.0, false);
    }
    add_path_vertex(ctx, x, y, 0.0, false);
}

}  // namespace

void add_path_vertex(InterpreterContext& ctx, double x, double y, double bulge, bool has_bulge) {
    GraphicsState& gs = ctx.gs;
    if (gs.polygon_mode) {
        polygon_add_vertex(ctx, x, y, bulge, has_bulge);
        return;
    }
    if (gs.fill_pending) finish_pending_fill(ctx);
    grow_extents(gs, x, y);
    OpenPath& path = gs.path;
    if (path.count == 0) {
        gs.path_start_x = x;
        gs.path_start_y = y;
        path.count = 1;
        return;
    }
    if (path.count == 1) {
        path.vertices.clear();
        if (!make_room(ctx, path)) return;
        path.vertices.push_back(PathVertex{gs.path_start_x, gs.path_start_y, 0.0});
    }
    // Without room the vertex is lost; the path keeps what it has.
    if (!make_room(ctx, path)) return;
    if (has_bulge) path.vertices.back().bulge = bulge;
    path.vertices.push_back(PathVertex{x, y, 0.0});
    path.count = static_cast<int>(path.vertices.size());
}

void end_path(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    if (gs.pen_down) {
        gs.pen_down = false;
        if (!gs.polygon_mode) finish_polyline(ctx);
    }
    gs.continued_path = false;
}

void put_pen_down(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    if (!gs.pen_down && !gs.polygon_mode) {
        gs.path_start_x = gs.current_x;
        gs.path_start_y = gs.current_y;
        gs.path.count = 1;
        gs.path.vertices.clear();
    }
    gs.pen_down = true;
}

void draw_to(InterpreterContext& ctx, DrawingPoint point) {
    GraphicsState& gs = ctx.gs;
    put_pen_down(ctx);
    grow_extents(gs, gs.current_x, gs.current_y);
    gs.current_x = point.x;
    gs.current_y = point.y;
    add_path_vertex(ctx, point.x, point.y, 0.0, false);
}

void move_to(InterpreterContext& ctx, DrawingPoint point) {
    GraphicsState& gs = ctx.gs;
    end_path(ctx);
    gs.current_x = point.x;
    gs.current_y = point.y;
    if (gs.polygon_mode) polygon_add_vertex(ctx, point.x, point.y, 0.0, false);
}

void release_page_lists(InterpreterContext& ctx) {
    GraphicsState& gs = ctx.gs;
    gs.path.count = 0;
    std::vector<PathVertex>().swap(gs.path.vertices);
    std::vector<PathVertex>().swap(gs.path.piece);
    gs.continued_path = false;
    gs.polygon_mode = false;
    release_polygon_lists(ctx);
}

// PA x,y: absolute plotting; draws when the pen is down.
void cmd_pa(InterpreterContext& ctx, int) {
    ctx.gs.relative_plotting = false;
    plot_point(ctx);
}

// PR dx,dy: relative plotting; draws when the pen is down.
void cmd_pr(InterpreterContext& ctx, int) {
    ctx.gs.relative_plotting = true;
    plot_point(ctx);
}

// PD [x,y]: pen down, and to the point when one is given.
void cmd_pd(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (read_point(gs) == 2)
        draw_to(ctx, target_of(gs));
    else
        put_pen_down(ctx);
    set_carriage(gs);
    plot_symbol(ctx);
}

// PU [x,y]: ends the path; moves when a point is given.
void cmd_pu(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    if (read_point(gs) == 2)
        move_to(ctx, target_of(gs));
    else
        end_path(ctx);
    set_carriage(gs);
    plot_symbol(ctx);
}

void cmd_xt(InterpreterContext& ctx, int) {
    add_tick(ctx, true);
}

void cmd_yt(InterpreterContext& ctx, int) {
    add_tick(ctx, false);
}

// TL tp,tn: the tick length is their sum, taken as drawing units; TL;
// restores 0.5; a single parameter changes nothing.
void cmd_tl(InterpreterContext& ctx, int) {
    GraphicsState& gs = ctx.gs;
    const int count = read_numbers(gs, 2);
    if (count == 0)
        gs.tick_length = 0.5;
    else if (count == 2)
        gs.tick_length = gs.tokens.values[0] + gs.tokens.values[1];
}

}  // namespace penloom
