// The page: loads the WebAssembly module of the viewer, lays a world's files
// out in the module's file system, and runs the program's frame loop, one
// pass per animation frame of the browser. Every world gets a module instance
// of its own, as every run of the program gets a process: nothing of a world
// that failed or stopped is left for the next one.
//
// ?kernels=plain loads the module with the reference kernels even where the
// browser has WebAssembly SIMD. ?held-clock runs no loop: whoever drives the
// page (a test) calls viewer.pass(tick) for each pass, with the tick that
// both clock readings of that pass give.
'use strict';

const FrameWidth = 640, FrameHeight = 480;
const RateX = 50, RateY = 50;
const WorldFolder = '/world';

const params = new URLSearchParams(location.search);
const holdClock = params.has('held-clock');

const canvas = document.getElementById('frame');
const context = canvas.getContext('2d');
const messageBox = document.getElementById('message');
const statusLine = document.getElementById('status');

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
    pass: (tick) => runPass(tick),
    openFiles: (files, name) => openWorld(files, name),
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
}

function showMessage(text) {
    viewer.message = text;
    messageBox.textContent = text;
    messageBox.hidden = !text;
}

// The frame of a world that has ended goes with it, as the program's window
// does: what stays is the message.
function endWorld(state, text) {
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

function writeFiles(module, files) {
    module.FS.mkdir(WorldFolder);
    for (const file of files) {
        const parts = file.path.split('/').filter((p) => p && p !== '.' && p !== '..');
        if (!parts.length) continue;
        let folder = WorldFolder;
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

async function openWorld(files, name) {
    viewer.module = null;
    viewer.world = name;
    viewer.state = 'loading';
    showMessage('');
    showStatus();
    const opened = (async () => {
        try {
            await moduleFactory;
            const module = await createViewerModule({ print: () => {}, printErr: () => {} });
            polledKeys = readPolledKeys(module);
            const world = worldFiles(files);
            writeFiles(module, world);
            const folder = module._malloc(WorldFolder.length + 1);
            module.stringToUTF8(WorldFolder, folder, WorldFolder.length + 1);
            const started = module._page_open(folder);
            module._free(folder);
            if (viewer.world !== name) return;  // another world was opened meanwhile
            if (!started) {
                endWorld('failed', startFailure(module, world));
                return;
            }
            context.fillStyle = '#000';
            context.fillRect(0, 0, FrameWidth, FrameHeight);
            viewer.module = module;
            viewer.state = 'running';
            showStatus();
            if (!holdClock) loop(module);
        } catch (error) {
            endWorld('failed', 'The world could not be opened: ' + (error && error.message ? error.message : error));
        }
    })();
    viewer.opening = opened;
    return opened;
}

async function readFileList(list) {
    const files = [];
    for (const file of list) {
        files.push({ path: file.webkitRelativePath || file.name, bytes: new Uint8Array(await file.arrayBuffer()) });
    }
    return files;
}

// A lone zip is a world packed; anything else is the world's files.
async function openPicked(files, name) {
    if (files.length === 1 && /\.zip$/i.test(files[0].path)) {
        try {
            files = await readZip(files[0].bytes.buffer.slice(files[0].bytes.byteOffset,
                                                              files[0].bytes.byteOffset + files[0].bytes.length));
        } catch (error) {
            viewer.world = name;
            endWorld('failed', error.message);
            return;
        }
    }
    await openWorld(files, name);
}

function nameOf(files) {
    if (!files.length) return 'nothing';
    const first = files[0].path;
    return first.includes('/') ? first.slice(0, first.indexOf('/')) : files.length === 1 ? first : 'the files opened';
}

for (const id of ['open-folder', 'open-files']) {
    const input = document.getElementById(id);
    input.addEventListener('change', () => {
        viewer.opening = (async () => {
            const files = await readFileList(input.files);
            input.value = '';
            await openPicked(files, nameOf(files));
        })();
    });
}

// ---- dropping ------------------------------------------------------------

function readEntry(entry, files) {
    if (entry.isFile) {
        return new Promise((resolve) => entry.file(async (file) => {
            files.push({ path: entry.fullPath, bytes: new Uint8Array(await file.arrayBuffer()) });
            resolve();
        }, resolve));
    }
    const reader = entry.createReader();
    // A folder's entries come in batches until an empty one.
    return new Promise((resolve) => {
        const next = () => reader.readEntries(async (entries) => {
            if (!entries.length) return resolve();
            for (const child of entries) await readEntry(child, files);
            next();
        }, resolve);
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
    viewer.opening = (async () => {
        const files = [];
        if (entries.length) {
            for (const entry of entries) await readEntry(entry, files);
        } else {
            files.push(...await readFileList(dropped));
        }
        await openPicked(files, nameOf(files.map((f) => ({ path: f.path.replace(/^\/+/, '') }))));
    })();
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
    const scale = Math.max(1, Math.floor(Math.min(stage.clientWidth / FrameWidth, stage.clientHeight / FrameHeight)));
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
        await openWorld(files, 'the demo world');
    } catch (error) {
        viewer.world = 'the demo world';
        endWorld('failed', 'The demo world could not be fetched: ' + error.message);
    }
}
viewer.opening = openDemoWorld();
