// The page: loads the WebAssembly module of the viewer, lays a world's files
// out in the module's file system, and runs the program's frame loop, one
// pass per animation frame of the browser. Every world gets a module instance
// of its own, as every run of the program gets a process: nothing of a world
// that failed or stopped is left for the next one.
//
// A Tiled map (a .tmx with its tilesets and pictures) is converted first by
// the tmximport tool itself, a module of its own (importer.js) that is
// loaded the first time a map is opened; the world it makes is then opened
// as any other, and can be saved as a zip.
//
// ?kernels=plain loads the module with the reference kernels even where the
// browser has WebAssembly SIMD. ?held-clock runs no loop: whoever drives the
// page (a test) calls viewer.pass(tick) for each pass, with the tick that
// both clock readings of that pass give. ?live shows the map or world that
// web/serve.py --live serves, again each time one of its files changes.
'use strict';

const FrameWidth = 640, FrameHeight = 480;
const RateX = 50, RateY = 50;
const WorldFolder = '/world';

const params = new URLSearchParams(location.search);
const holdClock = params.has('held-clock');
const live = params.has('live');

const canvas = document.getElementById('frame');
const context = canvas.getContext('2d');
const messageBox = document.getElementById('message');
const statusLine = document.getElementById('status');
const notesBox = document.getElementById('notes');
const findingsBox = document.getElementById('findings');
const findingsTitle = document.getElementById('findings-title');
const findingsList = document.getElementById('findings-list');
const saveButton = document.getElementById('save-world');
const walkerBox = document.getElementById('walker');

// i8x16.popcnt of a splat: valid only where the browser has WebAssembly SIMD.
const SimdProbe = new Uint8Array([0, 97, 115, 109, 1, 0, 0, 0, 1, 5, 1, 96, 0, 1, 123, 3, 2, 1, 0, 10, 10, 1, 8, 0,
                                  65, 0, 253, 15, 253, 98, 11]);
const simd = params.get('kernels') !== 'plain' && WebAssembly.validate(SimdProbe);
const kernels = simd ? 'SSE2 kernels as WebAssembly SIMD' : 'reference kernels';

// Held keys by virtual-key code, which keyCode shares for the keys polled.
const keysDown = new Uint8Array(256);

// What runs now: the module instance, its state and the world's name.
const viewer = {
    state: 'loading',  // loading, running, stopped (ErrLog or Escape), failed (did not start)
    message: '',
    world: '',
    kernels,
    module: null,
    opening: null,      // the promise of the world being opened
    notes: '',          // what tmximport printed for the Tiled map opened
    findings: [],       // what the world check found in the world opened, a line each
    converted: null,    // the world converted from that map: [{path, bytes}]
    liveVersion: 0,     // the version of the live files shown
    keptView: null,     // the view of a world that ended, for the same world reopened
    pass: (tick) => runPass(tick),
    openFiles: (files, name) => openWorld(files, name),
    // Where the camera and the walkers are: PageView's eight numbers, or null.
    view: () => currentView(),
    // Mean microseconds of a frame's clear and DrawMap over `repetitions`.
    measureFrame: (repetitions) => (viewer.module ? viewer.module._page_measure_frame(repetitions) : 0),
};
window.viewer = viewer;

function loadScript(source) {
    return new Promise((resolve, reject) => {
        const script = document.createElement('script');
        script.src = source;
        script.onload = resolve;
        script.onerror = () => reject(new Error('cannot load ' + source));
        document.head.appendChild(script);
    });
}
const moduleFactory = loadScript(simd ? 'viewer-simd.js' : 'viewer-plain.js');

function showStatus() {
    const what = { loading: 'opening', running: 'running', stopped: 'stopped', failed: 'did not start' }[viewer.state];
    statusLine.textContent = (viewer.world ? viewer.world + ': ' : '') + what + ' (' + kernels + ')';
    document.title = (viewer.world ? viewer.world + ' - ' : '') + 'Client';
}

// The world check's lines for the world being opened, in the panel beside
// the canvas; none hides the panel.
function showFindings(name, lines) {
    viewer.findings = lines;
    findingsList.replaceChildren(...lines.map((line) => {
        const item = document.createElement('li');
        item.textContent = line;
        if (line.startsWith('note: ')) item.className = 'note';
        return item;
    }));
    const hiding = lines.filter((line) => !line.startsWith('note: ')).length;
    findingsTitle.textContent = name + ': ' + (hiding
        ? lines.length + (lines.length === 1 ? ' finding' : ' findings') + ', ' + hiding +
          ' keeping something from showing or walking'
        : lines.length + (lines.length === 1 ? ' note' : ' notes'));
    findingsBox.hidden = !lines.length;
    fitCanvas();
}

function showMessage(text) {
    viewer.message = text;
    messageBox.textContent = text;
    messageBox.hidden = !text;
}

function showNotes(text) {
    viewer.notes = text;
    notesBox.textContent = text;
    notesBox.hidden = !text;
}

const errorText = (error) => (error && error.message ? error.message : String(error));

// The frame of a world that has ended goes with it, as the program's window
// does: what stays is the message.
function endWorld(state, text) {
    viewer.keptView = currentView() || viewer.keptView;
    viewer.state = state;
    viewer.module = null;
    keysDown.fill(0);
    context.fillStyle = '#000';
    context.fillRect(0, 0, FrameWidth, FrameHeight);
    showMessage(text);
    showStatus();
}

// ---- the frame loop ------------------------------------------------------

function copyKeys(module) {
    module.HEAPU8.set(keysDown, module._page_keys());
}

function present(module) {
    const frame = new Uint8ClampedArray(module.HEAPU8.buffer, module._page_frame(), FrameWidth * FrameHeight * 4);
    context.putImageData(new ImageData(frame.slice(), FrameWidth, FrameHeight), 0, 0);
    // The program's GDI text: transparent background, pure red, top-left at (50, 50).
    context.fillStyle = '#ff0000';
    context.font = '16px monospace';
    context.textBaseline = 'top';
    context.fillText(module.UTF8ToString(module._page_rate_text()), RateX, RateY);
}

// One pass of the running world; false once it is not running (any more).
function runPass(tick) {
    const module = viewer.module;
    if (!module || viewer.state !== 'running') return false;
    try {
        copyKeys(module);
        if (!module._page_pass(holdClock ? 1 : 0, (tick || 0) >>> 0)) {
            endWorld('stopped', module.UTF8ToString(module._page_message()));
            return false;
        }
        present(module);
        return true;
    } catch (error) {
        endWorld('stopped', 'The world stopped: ' + (error && error.message ? error.message : error));
        return false;
    }
}

function loop(module) {
    if (viewer.module !== module || !runPass(0)) return;
    requestAnimationFrame(() => loop(module));
}

// ---- opening a world -----------------------------------------------------

// The files of the world: those below the folder that holds "SpriteList.txt"
// (or, without one, "test.map"), with their paths relative to it.
function worldFiles(files) {
    const base = (path) => path.slice(path.lastIndexOf('/') + 1);
    const folderOf = (path) => path.slice(0, path.lastIndexOf('/') + 1);
    const clean = files.map((f) => ({ path: f.path.replace(/\\/g, '/').replace(/^\/+/, ''), bytes: f.bytes }));
    const anchor = (name) => clean.filter((f) => base(f.path) === name).sort((a, b) => a.path.length - b.path.length)[0];
    const found = anchor('SpriteList.txt') || anchor('test.map');
    const root = found ? folderOf(found.path) : '';
    return clean.filter((f) => f.path.startsWith(root)).map((f) => ({ path: f.path.slice(root.length), bytes: f.bytes }));
}

// The files under `root` in the module's file system, with their paths; no
// path leaves it.
function writeTree(module, root, files) {
    module.FS.mkdir(root);
    for (const file of files) {
        const parts = file.path.split('/').filter((p) => p && p !== '.' && p !== '..');
        if (!parts.length) continue;
        let folder = root;
        for (const part of parts.slice(0, -1)) {
            folder += '/' + part;
            if (!module.FS.analyzePath(folder).exists) module.FS.mkdir(folder);
        }
        module.FS.writeFile(folder + '/' + parts[parts.length - 1], file.bytes);
    }
}

// Why a world that did not start did not: the map loader's box, or the file
// that was not there to read.
function startFailure(module, files) {
    const box = module.UTF8ToString(module._page_message());
    if (box) return box;
    const has = (name) => files.some((f) => f.path === name);
    if (!has('SpriteList.txt')) return 'The world did not start: it has no "SpriteList.txt".';
    if (!has('test.map')) return 'The world did not start: it has no "test.map".';
    return 'The world did not start: "SpriteList.txt" or "test.map" cannot be read.';
}

// The view of the world running now (PageView's eight numbers), or null.
function currentView() {
    const view = viewer.module && viewer.module._page_view();
    return view ? Array.from(new Int32Array(viewer.module.HEAPU8.buffer, view, 8)) : null;
}

// Opens a world. With `keepView` the view of the world shown last (the same
// world, reopened) is carried over as far as the new one allows.
async function openWorld(files, name, keepView) {
    const kept = keepView ? currentView() || viewer.keptView : null;
    viewer.keptView = null;
    viewer.module = null;
    viewer.world = name;
    viewer.state = 'loading';
    showMessage('');
    showFindings(name, []);
    showStatus();
    const opened = (async () => {
        try {
            await moduleFactory;
            const module = await createViewerModule({ print: () => {}, printErr: () => {} });
            polledKeys = readPolledKeys(module);
            const world = worldFiles(files);
            writeTree(module, WorldFolder, world);
            const folder = module._malloc(WorldFolder.length + 1);
            module.stringToUTF8(WorldFolder, folder, WorldFolder.length + 1);
            const found = module.UTF8ToString(module._page_check(folder)).split('\n').filter(Boolean);
            if (viewer.world === name) showFindings(name, found);
            const started = module._page_open(folder);
            module._free(folder);
            if (viewer.world !== name) return;  // another world was opened meanwhile
            if (!started) {
                endWorld('failed', startFailure(module, world));
                return;
            }
            if (kept) {
                const numbers = module._malloc(kept.length * 4);
                module.HEAP32.set(kept, numbers >> 2);
                module._page_restore_view(numbers);
                module._free(numbers);
            }
            context.fillStyle = '#000';
            context.fillRect(0, 0, FrameWidth, FrameHeight);
            viewer.module = module;
            viewer.state = 'running';
            showStatus();
            if (!holdClock) loop(module);
        } catch (error) {
            endWorld('failed', 'The world could not be opened: ' + errorText(error));
        }
    })();
    viewer.opening = opened;
    return opened;
}

// The bytes of a picked or dropped file, within the limits of zip.js: a
// file too large to read is refused by its size before it is read.
async function readFile(file, path) {
    if (file.size > FileLimit) {
        throw new Error(path + ' is ' + file.size + ' bytes, more than the limit of ' + FileLimit + ' bytes a file');
    }
    try {
        return new Uint8Array(await file.arrayBuffer());
    } catch (error) {
        throw new Error(path + ' cannot be read: ' + errorText(error));
    }
}

function checkWorldSize(list) {
    const total = list.reduce((sum, file) => sum + file.size, 0);
    if (total > WorldLimit) {
        throw new Error('the files opened are ' + total + ' bytes, more than the limit of ' + WorldLimit + ' bytes in all');
    }
}

async function readFileList(list) {
    checkWorldSize([...list]);
    const files = [];
    for (const file of list) {
        const path = file.webkitRelativePath || file.name;
        files.push({ path, bytes: await readFile(file, path) });
    }
    return files;
}

// A lone zip is a world or a Tiled map packed; anything else is their files.
// `read` gives the files (it may fail: too large, unreadable).
async function openPicked(read, name) {
    let files, zipName = null;
    try {
        files = await read();
        if (files.length === 1 && /\.zip$/i.test(files[0].path)) {
            zipName = files[0].path.slice(files[0].path.lastIndexOf('/') + 1);
            files = await readZip(files[0].bytes.buffer.slice(files[0].bytes.byteOffset,
                                                              files[0].bytes.byteOffset + files[0].bytes.length));
        }
    } catch (error) {
        viewer.world = name(null);
        viewer.source = null;
        showNotes('');
        showFindings(viewer.world, []);
        endWorld('failed', error.message);
        return;
    }
    // A zip is named as its file is; a folder by its name.
    const world = zipName || name(files);
    const map = tiledMapOf(files);
    await openSource(map ? { tiled: map, files, name: world } : { files, name: world });
}

// ---- Tiled maps ----------------------------------------------------------

const baseName = (path) => path.slice(path.lastIndexOf('/') + 1);
const folderOf = (path) => path.slice(0, path.lastIndexOf('/') + 1);
const cleanPath = (path) => path.replace(/\\/g, '/').replace(/^\/+/, '');

// The Tiled map among the files when they hold no world ("SpriteList.txt"):
// the .tmx file nearest the top, of those the first by name.
function tiledMapOf(files) {
    const paths = files.map((f) => cleanPath(f.path));
    if (paths.some((p) => baseName(p) === 'SpriteList.txt')) return null;
    const depth = (p) => p.split('/').length;
    const maps = paths.filter((p) => /\.tmx$/i.test(p)).sort((a, b) => depth(a) - depth(b) || (a < b ? -1 : a > b));
    return maps.length ? maps[0] : null;
}

// What is shown, and shown again when its files change or the walker is
// switched: {files, name} of a world, or with `tiled` (the .tmx's path) a map.
viewer.source = null;

async function openSource(source, keepView) {
    viewer.source = source;
    viewer.converted = null;
    saveButton.hidden = true;
    if (!source.tiled) {
        showNotes('');
        return openWorld(source.files, source.name, keepView);
    }
    viewer.world = source.name;
    viewer.state = 'loading';
    showMessage('');
    showFindings(source.name, []);
    showStatus();
    let result;
    try {
        result = await importTiled(source.files, source.tiled);
    } catch (error) {
        result = { world: null, output: 'The map could not be converted: ' + errorText(error) };
    }
    if (viewer.source !== source) return;  // another one was opened meanwhile
    if (!result.world) {
        showNotes('');
        endWorld('failed', result.output);
        return;
    }
    viewer.converted = result.world;
    saveButton.hidden = false;
    showNotes(result.output);
    await openWorld(result.world, source.name, keepView);
}

let importerScript = null;

// The demo world's walker sprite, the file its "SpriteList.txt" lists under id 2.
async function demoWalker() {
    const fetched = async (name) => {
        const response = await fetch('demo-world/' + encodeURIComponent(name));
        if (!response.ok) throw new Error('demo-world/' + name + ': ' + response.status);
        return new Uint8Array(await response.arrayBuffer());
    };
    const list = new TextDecoder().decode(await fetched('SpriteList.txt')).split(/\s+/);
    for (let i = 1; i + 1 < list.length; i += 2) {
        if (list[i] === '2') return { path: list[i + 1], bytes: await fetched(list[i + 1]) };
    }
    throw new Error('the demo world lists no walker sprite');
}

// Runs tmximport on the map at `mapPath` among `files`, in a fresh instance
// of the importer, from the map's own folder as a user would:
// `tmximport <map.tmx> /world [--walker <the demo walker>]`. Returns
// {world: [{path, bytes}] or null when refused, output: what it printed}.
async function importTiled(files, mapPath) {
    importerScript = importerScript || loadScript('importer.js');
    try {
        await importerScript;
    } catch (error) {
        importerScript = null;
        throw error;
    }
    const printed = [];
    const module = await createImporterModule({ print: (line) => printed.push(line), printErr: (line) => printed.push(line) });
    writeTree(module, '/map', files.map((f) => ({ path: cleanPath(f.path), bytes: f.bytes })));
    module.FS.chdir('/map/' + folderOf(mapPath));
    const args = [baseName(mapPath), '/world'];
    if (walkerBox.checked) {
        const walker = await demoWalker();
        writeTree(module, '/walker', [walker]);
        args.push('--walker', '/walker/' + walker.path);
    }
    const status = module.callMain(args);
    const output = printed.join('\n');
    return { world: status === 0 ? readTree(module, '/world', '') : null, output };
}

function readTree(module, folder, prefix) {
    const files = [];
    for (const name of module.FS.readdir(folder).sort()) {
        if (name === '.' || name === '..') continue;
        const path = folder + '/' + name;
        if (module.FS.isDir(module.FS.stat(path).mode)) {
            files.push(...readTree(module, path, prefix + name + '/'));
        } else {
            files.push({ path: prefix + name, bytes: module.FS.readFile(path) });
        }
    }
    return files;
}

saveButton.addEventListener('click', () => {
    if (!viewer.converted || !viewer.source || !viewer.source.tiled) return;
    const link = document.createElement('a');
    link.href = URL.createObjectURL(writeZip(viewer.converted));
    link.download = baseName(viewer.source.tiled).replace(/\.tmx$/i, '') + '.zip';
    document.body.appendChild(link);
    link.click();
    link.remove();
    setTimeout(() => URL.revokeObjectURL(link.href), 60000);
});

walkerBox.addEventListener('change', () => {
    if (viewer.source && viewer.source.tiled) viewer.opening = openSource(viewer.source, true);
});

// The name of what was opened: the folder picked or dropped, the one file,
// or the Tiled map among loose files.
function nameOf(files) {
    if (!files.length) return 'nothing';
    const first = files[0].path;
    if (first.includes('/')) return first.slice(0, first.indexOf('/'));
    if (files.length === 1) return first;
    const map = files.find((f) => /\.tmx$/i.test(f.path));
    return map ? map.path : 'the files opened';
}

for (const id of ['open-folder', 'open-files']) {
    const input = document.getElementById(id);
    input.addEventListener('change', () => {
        const list = [...input.files];
        input.value = '';
        viewer.opening = openPicked(() => readFileList(list),
                                    (files) => nameOf(files || list.map((f) => ({ path: f.webkitRelativePath || f.name }))));
    });
}

// ---- dropping ------------------------------------------------------------

function readEntry(entry, files) {
    if (entry.isFile) {
        return new Promise((resolve, reject) => entry.file(async (file) => {
            try {
                checkWorldSize([{ size: files.reduce((sum, f) => sum + f.bytes.length, 0) }, file]);
                files.push({ path: entry.fullPath, bytes: await readFile(file, entry.fullPath.replace(/^\/+/, '')) });
                resolve();
            } catch (error) {
                reject(error);
            }
        }, (error) => reject(new Error(entry.fullPath.replace(/^\/+/, '') + ' cannot be read: ' + errorText(error)))));
    }
    const reader = entry.createReader();
    // A folder's entries come in batches until an empty one.
    return new Promise((resolve, reject) => {
        const next = () => reader.readEntries(async (entries) => {
            if (!entries.length) return resolve();
            try {
                for (const child of entries) await readEntry(child, files);
            } catch (error) {
                return reject(error);
            }
            next();
        }, (error) => reject(new Error(entry.fullPath.replace(/^\/+/, '') + ' cannot be read: ' + errorText(error))));
        next();
    });
}

document.addEventListener('dragover', (event) => {
    event.preventDefault();
    document.body.classList.add('dropping');
});
document.addEventListener('dragleave', () => document.body.classList.remove('dropping'));
document.addEventListener('drop', (event) => {
    event.preventDefault();
    document.body.classList.remove('dropping');
    // The items are only readable while the event is handled: take them now.
    const entries = [...event.dataTransfer.items].map((item) => item.webkitGetAsEntry && item.webkitGetAsEntry()).filter(Boolean);
    const dropped = [...event.dataTransfer.files];
    const read = async () => {
        const files = [];
        if (entries.length) {
            for (const entry of entries) await readEntry(entry, files);
        } else {
            files.push(...await readFileList(dropped));
        }
        return files;
    };
    const named = (files) => nameOf((files || dropped.map((f) => ({ path: f.name }))).map((f) => ({ path: f.path.replace(/^\/+/, '') })));
    viewer.opening = openPicked(read, named);
});

// ---- keys ----------------------------------------------------------------

const Escape = 27;
// The virtual-key codes the world polls, as the module names them: the page
// keeps only those keys from the browser.
let polledKeys = new Set();

function readPolledKeys(module) {
    const keys = new Set();
    for (let at = module._page_polled_keys(); module.HEAPU8[at]; ++at) keys.add(module.HEAPU8[at]);
    return keys;
}

window.addEventListener('keydown', (event) => {
    if (event.keyCode === Escape && viewer.state === 'running') {
        endWorld('stopped', 'The world ended (Escape). Open a world to walk again.');
        return;
    }
    if (polledKeys.has(event.keyCode)) {
        keysDown[event.keyCode] = 1;
        event.preventDefault();
    }
});
window.addEventListener('keyup', (event) => {
    if (event.keyCode < 256) keysDown[event.keyCode] = 0;
});
// A key released while the page had no focus never sends its keyup.
window.addEventListener('blur', () => keysDown.fill(0));

// ---- whole-pixel scaling -------------------------------------------------

function fitCanvas() {
    const stage = document.getElementById('stage');
    const beside = findingsBox.hidden ? 0 : 320 + 12;
    const scale = Math.max(1, Math.floor(Math.min((stage.clientWidth - beside) / FrameWidth, stage.clientHeight / FrameHeight)));
    canvas.style.width = FrameWidth * scale + 'px';
    canvas.style.height = FrameHeight * scale + 'px';
}
window.addEventListener('resize', fitCanvas);
fitCanvas();

// ---- the demo world at once ----------------------------------------------

async function openDemoWorld() {
    try {
        const listing = await fetch('demo-world/files.txt');
        if (!listing.ok) throw new Error('demo-world/files.txt: ' + listing.status);
        const names = (await listing.text()).split('\n').filter(Boolean);
        const files = await Promise.all(names.map(async (name) => {
            const response = await fetch('demo-world/' + encodeURIComponent(name));
            if (!response.ok) throw new Error('demo-world/' + name + ': ' + response.status);
            return { path: name, bytes: new Uint8Array(await response.arrayBuffer()) };
        }));
        await openSource({ files, name: 'the demo world' });
    } catch (error) {
        viewer.world = 'the demo world';
        endWorld('failed', 'The demo world could not be fetched: ' + error.message);
    }
}
viewer.opening = live ? openLive() : openDemoWorld();

// ---- live: the map or world that web/serve.py --live serves ------------

// The files as the server lists them now, and the version they make.
async function fetchLive() {
    const response = await fetch('live/state', { cache: 'no-store' });
    if (!response.ok) throw new Error('live/state: ' + response.status);
    const state = await response.json();
    const files = await Promise.all(state.files.map(async (path) => {
        const file = await fetch('live/files/' + path.split('/').map(encodeURIComponent).join('/'), { cache: 'no-store' });
        if (!file.ok) throw new Error(path + ' cannot be read (' + file.status + ')');
        return { path, bytes: new Uint8Array(await file.arrayBuffer()) };
    }));
    return { state, files };
}

// Shows the live files, then again each time the server says they changed:
// the view kept, a state that cannot be read shown until the next change.
async function openLive() {
    let shown = null, wanted = 0, busy = false;
    const show = async () => {
        busy = true;
        try {
            while (wanted !== shown) {
                const version = wanted;
                let fetched;
                try {
                    fetched = await fetchLive();
                } catch (error) {
                    viewer.world = 'the live files';
                    viewer.source = null;
                    endWorld('failed', 'The files cannot be read now: ' + error.message);
                    shown = version;
                    continue;
                }
                const { state, files } = fetched;
                const source = state.map ? { tiled: state.map, files, name: state.name } : { files, name: state.name };
                viewer.opening = openSource(source, shown !== null);
                await viewer.opening;
                shown = version;
                viewer.liveVersion = state.version;
            }
        } finally {
            busy = false;
        }
    };
    const events = new EventSource('live/events');
    events.onmessage = (event) => {
        wanted = Number(event.data);
        if (!busy) show();
    };
    // The browser tries again by itself; until anything was shown, say why
    // nothing is.
    events.onerror = () => {
        if (shown !== null || busy) return;
        viewer.world = 'the live files';
        endWorld('failed', 'No live map or world is served here: start web/serve.py with --live.');
    };
}
