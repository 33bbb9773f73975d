#!/usr/bin/env node
// Reads DWG files with two readers that share no code with ours: LibreDWG and
// libdxfrw, both built for WebAssembly (npm packages @mlightcad/libredwg-web
// and @mlightcad/libdxfrw-web, installed by scripts/install-deps into
// <build>/dwg-readers). For every file it prints one JSON object on one line:
//
//   {"file": "...", "libredwg": READING, "libdxfrw": READING}
//
// where a READING holds what that reader made of the file, in one shape for
// both readers (and for ezdxf's reading of a DXF, see dwg_readback.py):
//   error / status   LibreDWG's error bits (0 is clean; 128 and above are its
//                    critical errors); libdxfrw's read result and DWR_Error name
//   version          the release the reader saw ("AC1015" ...)
//   counts           model-space entities by type ({"LINE": 3, ...}); VERTEX and
//                    SEQEND belong to their POLYLINE and are not counted
//   layers, linetypes, text_styles   table entry names in file order
//   texts            TEXT strings in handle order
//   entities         model-space entities in handle order, each
//                    {type, handle, layer, linetype, ...geometry} (the geometry
//                    keys per type are in libredwg_entity and dxfrw_entity)
//   messages         what the reader printed while reading
//   crashed          present when the reader threw; the text of the exception
//
// Usage: node read_dwg.mjs [--readers DIR] [--pretty] [--summary] FILE.dwg...
//   --readers DIR  the folder holding node_modules/@mlightcad/... (default: the
//                  environment's PENLOOM_DWG_READERS, else build/dwg-readers of
//                  the source tree)
//   --summary      leave out the entities (counts, names and texts only)
// Exit status: 0 when every file was read by both readers without a crash, 1
// otherwise, 2 on bad usage. Judging the readings is left to the caller.

import fs from 'node:fs';
import path from 'node:path';
import { createRequire } from 'node:module';
import { fileURLToPath, pathToFileURL } from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));

function parse_arguments(argv) {
  const options = { readers: process.env.PENLOOM_DWG_READERS || '', pretty: false, summary: false, files: [] };
  for (let i = 0; i < argv.length; ++i) {
    const a = argv[i];
    if (a === '--readers' && i + 1 < argv.length) options.readers = argv[++i];
    else if (a === '--pretty') options.pretty = true;
    else if (a === '--summary') options.summary = true;
    else if (a.startsWith('--')) return null;
    else options.files.push(a);
  }
  options.readers = path.resolve(options.readers || path.join(here, '..', '..', 'build', 'dwg-readers'));
  return options.files.length ? options : null;
}

// ---- Common shapes ----

const xyz = (p) => (p ? [num(p.x), num(p.y), num(p.z ?? 0)] : null);
const xy = (p) => (p ? [num(p.x), num(p.y)] : null);
function num(v) {
  return typeof v === 'number' ? v : v === undefined || v === null ? null : Number(v);
}
// libdxfrw's strings sometimes keep the terminating NUL of the file.
const clean = (s) => (typeof s === 'string' ? s.replace(/\0+$/, '') : s);

function by_handle(a, b) {
  return a.handle < b.handle ? -1 : a.handle > b.handle ? 1 : 0;
}

function summarise(reading, entities) {
  entities.sort(by_handle);
  reading.counts = {};
  for (const e of entities) reading.counts[e.type] = (reading.counts[e.type] || 0) + 1;
  reading.texts = entities.filter((e) => e.type === 'TEXT').map((e) => e.text);
  reading.entities = entities;
}

// ---- LibreDWG ----

// LibreDWG's names for the types whose DXF names differ.
const LIBREDWG_TYPES = { POLYLINE2D: 'POLYLINE', POLYLINE3D: 'POLYLINE' };

function libredwg_polyline_vertices(list) {
  return (list || []).map((v) => [num(v.x), num(v.y), num(v.bulge ?? 0), num(v.startWidth ?? 0), num(v.endWidth ?? 0)]);
}

function libredwg_hatch_path(p) {
  if (p.vertices) {
    return { polyline: p.vertices.map((v) => [num(v.x), num(v.y), num(v.bulge ?? 0)]), closed: !!p.isClosed };
  }
  const edges = (p.edges || []).map((e) => {
    switch (e.type) {
      case 1: return ['line', ...xy(e.start), ...xy(e.end)];
      case 2: return ['arc', ...xy(e.center), num(e.radius), num(e.startAngle), num(e.endAngle), !!e.isCCW];
      case 3: return ['ellipse', ...xy(e.center), ...xy(e.end), num(e.lengthOfMinorAxis), num(e.startAngle), num(e.endAngle), !!e.isCCW];
      default: return ['spline', num(e.degree), (e.controlPoints || []).map(xy)];
    }
  });
  return { edges };
}

function libredwg_entity(e) {
  const type = LIBREDWG_TYPES[e.type] || e.type;
  const out = { type, handle: parseInt(e.handle, 16), layer: e.layer, linetype: e.lineType ?? null };
  switch (type) {
    case 'LINE': out.points = [xyz(e.startPoint), xyz(e.endPoint)]; break;
    case 'POINT': out.points = [xyz(e.position)]; break;
    case 'CIRCLE': out.center = xyz(e.center); out.radius = num(e.radius); break;
    case 'ARC':
      out.center = xyz(e.center); out.radius = num(e.radius);
      out.angles = [num(e.startAngle), num(e.endAngle)];
      break;
    case 'ELLIPSE':
      out.center = xyz(e.center); out.major = xyz(e.majorAxisEndPoint); out.ratio = num(e.axisRatio);
      out.angles = [num(e.startAngle), num(e.endAngle)];
      break;
    case 'TEXT':
      out.text = e.text; out.style = e.styleName; out.insert = xy(e.startPoint);
      out.height = num(e.textHeight); out.rotation = num(e.rotation);
      break;
    case 'LWPOLYLINE':
      out.closed = !!(e.flag & 512) || !!(e.flag & 1);
      out.constant_width = num(e.constantWidth ?? 0);
      out.vertices = libredwg_polyline_vertices(e.vertices);
      break;
    case 'POLYLINE':
      out.closed = !!(e.flag & 1);
      out.vertices = libredwg_polyline_vertices(e.vertices);
      break;
    case 'SOLID': out.points = [xy(e.corner1), xy(e.corner2), xy(e.corner3), xy(e.corner4 ?? e.corner3)]; break;
    case 'HATCH':
      out.solid = e.solidFill === 1; out.pattern = e.patternName;
      out.paths = (e.boundaryPaths || []).map(libredwg_hatch_path);
      out.seeds = (e.seedPoints || []).map(xy);
      break;
    default: break;
  }
  return out;
}

// The wrapper's conversion of a 2D POLYLINE leaves out its last VERTEX (seen
// on AutoCAD's R13 files as on ours), so the vertices are taken from
// LibreDWG's own VERTEX_2D objects, grouped by the POLYLINE that owns them,
// in file order.
const TYPE_VERTEX_2D = 10;

// R12 files give a VERTEX no owner: it belongs to the POLYLINE before it.
const TYPE_POLYLINE_2D = 15;

function libredwg_vertices_by_owner(lib, data) {
  const owners = new Map();
  let last_polyline = 0;
  for (let i = 0, n = lib.dwg_get_num_objects(data); i < n; ++i) {
    const object = lib.dwg_get_object(data, i);
    const fixedtype = lib.dwg_object_get_fixedtype(object);
    if (fixedtype === TYPE_POLYLINE_2D) last_polyline = Number(lib.dwg_object_get_handle_object(object)?.value ?? 0);
    if (fixedtype !== TYPE_VERTEX_2D) continue;
    const owner = lib.dwg_object_entity_get_ownerhandle_object(lib.dwg_object_to_entity(object));
    const handle = Number(owner?.absolute_ref ?? 0) || last_polyline;
    const tio = lib.dwg_object_to_entity_tio(object);
    const field = (name) => num(lib.dwg_dynapi_entity_data(tio, name));
    const point = lib.dwg_dynapi_entity_data(tio, 'point');
    if (!owners.has(handle)) owners.set(handle, []);
    owners.get(handle).push([num(point?.x), num(point?.y), field('bulge'), field('start_width'), field('end_width')]);
  }
  return owners;
}

// R12 entities name their layer, and a TEXT its style, by an index into the
// file's table, which the wrapper does not resolve (it answers "0" and no
// style). LibreDWG makes one layer and one style of its own before it reads
// the tables, so the file's records are the LAYER/STYLE objects after the
// first. A TEXT's style reference is read from LibreDWG's memory: its table
// index is the 16-bit value 40 bytes into the reference; no reference means
// the first style.
const TYPE_LAYER = 51;
const TYPE_STYLE = 53;
const TYPE_TEXT = 1;

function r12_names(lib, data, reading, entities) {
  let layers = 0, styles = 0;
  const layer_of = new Map(), style_of = new Map();
  const heap = lib.wasmInstance?.HEAPU8;
  for (let i = 0, n = lib.dwg_get_num_objects(data); i < n; ++i) {
    const object = lib.dwg_get_object(data, i);
    const fixedtype = lib.dwg_object_get_fixedtype(object);
    if (fixedtype === TYPE_LAYER) ++layers;
    if (fixedtype === TYPE_STYLE) ++styles;
    if (lib.dwg_object_get_supertype(object) !== 0) continue;
    const handle = Number(lib.dwg_object_get_handle_object(object)?.value ?? 0);
    const ref = lib.dwg_object_entity_get_layer_object_ref(lib.dwg_object_to_entity(object));
    layer_of.set(handle, ref?.r11_idx ?? 0);
    if (fixedtype === TYPE_TEXT && heap) {
      const p = lib.dwg_dynapi_entity_data(lib.dwg_object_to_entity_tio(object), 'style');
      style_of.set(handle, p ? heap[p + 40] | (heap[p + 41] << 8) : 0);
    }
  }
  const file_names = (names, count) => names.slice(count > 0 && names.length === count ? 1 : 0);
  const layer_names = file_names(reading.layers, layers);
  const style_names = file_names(reading.text_styles, styles);
  for (const e of entities) {
    const layer = layer_of.get(e.handle);
    if (layer !== undefined && layer >= 0 && layer < layer_names.length) e.layer = layer_names[layer];
    const style = style_of.get(e.handle);
    if (style !== undefined && style < style_names.length) e.style = style_names[style];
  }
}

// The wrapper decodes LibreDWG's TEXT bytes with Node's TextDecoder for the
// drawing's code page, and Node 20's "windows-1252" decoder is Latin-1: bytes
// 0x80 to 0x9F come back as C1 controls ("\x80" where ANSI_1252 means the euro
// sign; libdxfrw and ezdxf decode them). For ANSI_1252 drawings (code page 30,
// which LibreDWG reports) those characters are mapped as the code page has them.
const ANSI_1252_HIGH = {
  0x80: 0x20ac, 0x82: 0x201a, 0x83: 0x0192, 0x84: 0x201e, 0x85: 0x2026, 0x86: 0x2020, 0x87: 0x2021,
  0x88: 0x02c6, 0x89: 0x2030, 0x8a: 0x0160, 0x8b: 0x2039, 0x8c: 0x0152, 0x8e: 0x017d, 0x91: 0x2018,
  0x92: 0x2019, 0x93: 0x201c, 0x94: 0x201d, 0x95: 0x2022, 0x96: 0x2013, 0x97: 0x2014, 0x98: 0x02dc,
  0x99: 0x2122, 0x9a: 0x0161, 0x9b: 0x203a, 0x9c: 0x0153, 0x9e: 0x017e, 0x9f: 0x0178,
};
const CODE_PAGE_ANSI_1252 = 30;

function libredwg_text(text, code_page) {
  if (typeof text !== 'string' || code_page !== CODE_PAGE_ANSI_1252) return text;
  return text.replace(/[\u0080-\u009f]/g, (c) => String.fromCharCode(ANSI_1252_HIGH[c.charCodeAt(0)] ?? c.charCodeAt(0)));
}

async function load_libredwg(readers, messages) {
  const base = path.join(readers, 'node_modules', '@mlightcad', 'libredwg-web');
  const wrapper = await import(pathToFileURL(path.join(base, 'dist', 'libredwg-web.js')).href);
  const create = (await import(pathToFileURL(path.join(base, 'wasm', 'libredwg-web.js')).href)).default;
  const wasm = await create({
    locateFile: (name) => path.join(base, 'wasm', name),
    print: (text) => messages.push(text),
    printErr: (text) => messages.push(text),
  });
  wrapper.LibreDwg.instance = null;  // a fresh wrapper around this instance
  return wrapper.LibreDwg.createByWasmInstance(wasm);
}

async function read_libredwg(readers, bytes) {
  const reading = { messages: [] };
  let lib;
  try {
    lib = await load_libredwg(readers, reading.messages);
    lib.FS.writeFile('/in.dwg', bytes);
    const result = lib.dwg_read_file('/in.dwg');
    reading.error = result.error;
    if (result.error >= 128 || !result.data) {
      reading.status = 'critical';
      return reading;
    }
    reading.version = String(lib.dwg_get_version_type(result.data)?.hdr ?? '');
    const db = lib.convert(result.data);
    const names = (table) => (table?.entries || []).map((t) => t.name);
    reading.layers = names(db.tables.LAYER);
    reading.linetypes = names(db.tables.LTYPE);
    reading.text_styles = names(db.tables.STYLE);
    // The entities of the *Model_Space block record (db.entities holds paper space's too).
    const model = (db.tables.BLOCK_RECORD?.entries || []).find((b) => String(b.name).toLowerCase() === '*model_space');
    // R12 files have no block records of their own: their entities are db.entities.
    const r12 = reading.version === 'AC1009';
    const entities = (r12 && !model?.entities?.length ? db.entities.filter((e) => !e.isInPaperSpace) : model?.entities || [])
      .map(libredwg_entity);
    if (r12) r12_names(lib, result.data, reading, entities);
    const code_page = lib.dwg_get_codepage(result.data);
    for (const e of entities) {
      if (e.type === 'TEXT') e.text = libredwg_text(e.text, code_page);
    }
    const vertices = libredwg_vertices_by_owner(lib, result.data);
    for (const e of entities) {
      if (e.type === 'POLYLINE') e.vertices = vertices.get(e.handle) || [];
    }
    summarise(reading, entities);
    lib.dwg_free(result.data);
  } catch (e) {
    reading.crashed = String(e && e.stack ? e.stack.split('\n')[0] : e);
  }
  return reading;
}

// ---- libdxfrw ----

let dxfrw_module = null;

async function load_libdxfrw(readers) {
  if (dxfrw_module) return dxfrw_module;
  const require = createRequire(import.meta.url);
  const base = path.join(readers, 'node_modules', '@mlightcad', 'libdxfrw-web', 'dist');
  const create = require(path.join(base, 'libdxfrw.js'));
  const sink = { messages: [] };
  const m = await create({
    locateFile: (name) => path.join(base, name),
    print: (text) => sink.messages.push(text),
    printErr: (text) => sink.messages.push(text),
  });
  const names = (enumeration) => Object.fromEntries(Object.entries(enumeration)
    .filter(([, v]) => v && v.value !== undefined).map(([k, v]) => [v.value, k]));
  dxfrw_module = { m, sink, types: names(m.DRW_ETYPE), errors: names(m.DWR_Error), versions: names(m.DRW_Version) };
  return dxfrw_module;
}

const DXFRW_TYPES = { E3DFACE: '3DFACE' };

function list(l) {
  const out = [];
  if (l) for (let i = 0, n = l.size(); i < n; ++i) out.push(l.get(i));
  return out;
}

function dxfrw_hatch_path(loop, types) {
  const objects = list(loop.getObjList());
  if (objects.length === 1 && types[objects[0].eType.value] === 'LWPOLYLINE') {
    const p = objects[0];
    return { polyline: list(p.getVertexList()).map((v) => [v.x, v.y, v.bulge]), closed: !!(p.flags & 1) };
  }
  const edges = objects.map((o) => {
    switch (types[o.eType.value]) {
      case 'LINE': return ['line', ...xy(o.basePoint), ...xy(o.secPoint)];
      case 'ARC': return ['arc', ...xy(o.basePoint), o.radius, o.startAngle, o.endAngle, !!o.isccw];
      case 'ELLIPSE': return ['ellipse', ...xy(o.basePoint), ...xy(o.secPoint), o.ratio, o.startAngle, o.endAngle, !!o.isCounterClockwise];
      case 'SPLINE': return ['spline', o.degree, list(o.getControlList()).map(xy)];
      default: return [String(types[o.eType.value]).toLowerCase()];
    }
  });
  return { edges };
}

function dxfrw_entity(e, types) {
  const raw = types[e.eType.value] || `UNKNOWN${e.eType.value}`;
  const type = DXFRW_TYPES[raw] || raw;
  const out = { type, handle: e.handle, layer: clean(e.layer), linetype: clean(e.lineType) };
  switch (type) {
    case 'LINE': out.points = [xyz(e.basePoint), xyz(e.secPoint)]; break;
    case 'POINT': out.points = [xyz(e.basePoint)]; break;
    case 'CIRCLE': out.center = xyz(e.basePoint); out.radius = e.radius; break;
    case 'ARC':
      out.center = xyz(e.basePoint); out.radius = e.radius; out.angles = [e.startAngle, e.endAngle];
      break;
    case 'ELLIPSE':
      out.center = xyz(e.basePoint); out.major = xyz(e.secPoint); out.ratio = e.ratio;
      out.angles = [e.startAngle, e.endAngle];
      break;
    case 'TEXT':
      out.text = clean(e.text); out.style = clean(e.style); out.insert = xy(e.basePoint);
      // libdxfrw keeps a TEXT angle in degrees, as DXF writes it.
      out.height = e.height; out.rotation = e.angle * Math.PI / 180;
      break;
    case 'LWPOLYLINE':
      out.closed = !!(e.flags & 1);
      out.constant_width = e.width;
      out.vertices = list(e.getVertexList()).map((v) => [v.x, v.y, v.bulge, v.startWidth, v.endWidth]);
      break;
    case 'POLYLINE':
      out.closed = !!(e.flags & 1);
      out.vertices = list(e.getVertexList()).map((v) => [v.basePoint.x, v.basePoint.y, v.bulge, v.stawidth, v.endwidth]);
      break;
    case 'SOLID': out.points = [xy(e.basePoint), xy(e.secPoint), xy(e.thirdPoint), xy(e.fourPoint)]; break;
    case 'HATCH':
      out.solid = e.solid === 1; out.pattern = clean(e.name);
      out.paths = list(e.getLoopList()).map((loop) => dxfrw_hatch_path(loop, types));
      break;
    default: break;
  }
  return out;
}

async function read_libdxfrw(readers, bytes) {
  const reading = { messages: [] };
  let db = null;
  let handler = null;
  let reader = null;
  try {
    const { m, sink, types, errors, versions } = await load_libdxfrw(readers);
    sink.messages = reading.messages;
    db = new m.DRW_Database();
    handler = new m.DRW_FileHandler();
    handler.database = db;
    reader = new m.DRW_DwgR(bytes);
    reading.ok = reader.read(handler, false);
    reading.status = errors[reader.getError().value] || String(reader.getError().value);
    reading.version = versions[reader.getVersion().value] || '';
    const names = (l) => list(l).map((t) => clean(t.name));
    reading.layers = names(db.layers);
    reading.linetypes = names(db.lineTypes);
    reading.text_styles = names(db.textStyles);
    // Its model-space block also collects paper space's entities (space 1).
    const entities = db.mBlock ? list(db.mBlock.entities).filter((e) => e.space?.value !== 1) : [];
    summarise(reading, entities.map((e) => dxfrw_entity(e, types)));
  } catch (e) {
    reading.crashed = String(e && e.stack ? e.stack.split('\n')[0] : e);
    dxfrw_module = null;  // an aborted instance is not used again
  } finally {
    for (const o of [reader, handler, db]) {
      try { if (o) o.delete(); } catch { /* the instance is gone already */ }
    }
  }
  return reading;
}

// ---- Main ----

async function main() {
  const options = parse_arguments(process.argv.slice(2));
  if (!options) {
    process.stderr.write('usage: read_dwg.mjs [--readers DIR] [--pretty] [--summary] FILE.dwg...\n');
    return 2;
  }
  if (!fs.existsSync(path.join(options.readers, 'node_modules', '@mlightcad'))) {
    process.stderr.write(`read_dwg: no DWG readers under ${options.readers} (scripts/install-deps --dwg-readers DIR)\n`);
    return 2;
  }
  let failed = 0;
  for (const file of options.files) {
    const result = { file };
    let bytes = null;
    try {
      bytes = new Uint8Array(fs.readFileSync(file));
    } catch (e) {
      result.unreadable = String(e.message);
    }
    if (bytes) {
      result.libredwg = await read_libredwg(options.readers, bytes);
      result.libdxfrw = await read_libdxfrw(options.readers, bytes);
    }
    if (!bytes || result.libredwg.crashed || result.libdxfrw.crashed) failed++;
    if (options.summary && bytes) {
      for (const r of [result.libredwg, result.libdxfrw]) delete r.entities;
    }
    process.stdout.write(JSON.stringify(result, null, options.pretty ? 1 : 0) + '\n');
  }
  return failed ? 1 : 0;
}

process.exitCode = await main();
