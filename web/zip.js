// Reads the files of a zip archive in the browser: stored and deflated
// entries, found through the central directory at the archive's end; and
// writes a world as a zip of stored entries.
// Every offset and size is checked against the archive before it is used,
// so a damaged or foreign file gives an error that says what is wrong. An
// archive is hostile until proven otherwise: the sizes its entries declare
// are held to the limits below before anything is inflated, no entry may
// share its bytes with another, and inflating stops at the declared size,
// so that memory stays in proportion to what the world really holds.
'use strict';

const MiB = 1024 * 1024;
// The largest file the page reads, alone and all of a world's together. A
// world's largest files (maps, sprite sheets) are tens of MiB; the page
// holds each file twice for a moment (here and in the module).
const FileLimit = 256 * MiB;
const WorldLimit = 512 * MiB;

// Returns a promise of [{path, bytes}] for the files of `archive` (an
// ArrayBuffer), folders left out; it rejects with an Error naming the fault.
async function readZip(archive) {
    const bytes = new Uint8Array(archive);
    const view = new DataView(archive);
    const fail = (what) => { throw new Error('not a zip archive this page can read: ' + what); };
    const refuse = (what) => { throw new Error('The zip is refused: ' + what); };
    const u16 = (at) => (at + 2 <= bytes.length ? view.getUint16(at, true) : fail('it ends early'));
    const u32 = (at) => (at + 4 <= bytes.length ? view.getUint32(at, true) : fail('it ends early'));

    // The end record is the last 22 bytes, or fewer than 64 KiB before them
    // when the archive carries a comment.
    let end = -1;
    for (let at = bytes.length - 22; at >= 0 && at >= bytes.length - 22 - 65535; --at) {
        if (view.getUint32(at, true) === 0x06054b50) { end = at; break; }
    }
    if (end < 0) fail('no end of central directory');
    const count = u16(end + 10);
    let entry = u32(end + 16);
    if (count === 0xffff || entry === 0xffffffff) fail('zip64 archives are not read');

    // Every entry first, checked as a whole, before any is inflated.
    const decoder = new TextDecoder();
    const entries = [];
    let total = 0;
    for (let i = 0; i < count; ++i) {
        if (u32(entry) !== 0x02014b50) fail('central directory entry ' + i + ' is damaged');
        const flags = u16(entry + 8), method = u16(entry + 10);
        const packedSize = u32(entry + 20), size = u32(entry + 24);
        const nameLength = u16(entry + 28), extraLength = u16(entry + 30), commentLength = u16(entry + 32);
        const local = u32(entry + 42);
        if (entry + 46 + nameLength > bytes.length) fail('entry ' + i + ' ends early');
        const path = decoder.decode(bytes.subarray(entry + 46, entry + 46 + nameLength)).replace(/\\/g, '/');
        entry += 46 + nameLength + extraLength + commentLength;
        if (path.endsWith('/')) continue;
        if (flags & 1) fail(path + ' is encrypted');
        if (u32(local) !== 0x04034b50) fail(path + ': its local header is damaged');
        const start = local + 30 + u16(local + 26) + u16(local + 28);
        if (start + packedSize > bytes.length) fail(path + ' ends early');
        if (method !== 0 && method !== 8) {
            fail(path + ' is packed with method ' + method + ' (only stored and deflated entries are read)');
        }
        if (method === 0 && packedSize !== size) fail(path + ' is stored with ' + packedSize + ' bytes where its entry says ' + size);
        if (size > FileLimit) refuse(path + ' would inflate to ' + size + ' bytes, more than the limit of ' + FileLimit + ' bytes a file');
        total += size;
        if (total > WorldLimit) refuse('its files would inflate to more than the limit of ' + WorldLimit + ' bytes in all');
        entries.push({ path, method, size, local, start, end: start + packedSize });
    }
    const byPlace = [...entries].sort((a, b) => a.local - b.local);
    for (let i = 1; i < byPlace.length; ++i) {
        if (byPlace[i].local < byPlace[i - 1].end) {
            refuse(byPlace[i - 1].path + ' and ' + byPlace[i].path + ' overlap (entries may not share their bytes)');
        }
    }

    const files = [];
    for (const e of entries) {
        const packed = bytes.subarray(e.start, e.end);
        const data = e.method === 0 ? packed.slice() : await inflate(packed, e.size, e.path, fail);
        files.push({ path: e.path, bytes: data });
    }
    return files;
}

// The raw deflate stream `packed` inflated into exactly `size` bytes: one
// that would give more stops there, one that gives fewer or is broken fails.
async function inflate(packed, size, path, fail) {
    const data = new Uint8Array(size);
    const reader = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate-raw')).getReader();
    let length = 0;
    try {
        for (;;) {
            const { done, value } = await reader.read();
            if (done) break;
            if (length + value.length > size) {
                reader.cancel().catch(() => {});
                fail(path + ' inflates to more than the ' + size + ' bytes its entry says');
            }
            data.set(value, length);
            length += value.length;
        }
    } catch (e) {
        if (e.message && e.message.startsWith('not a zip archive')) throw e;
        fail(path + ' does not inflate');
    }
    if (length !== size) fail(path + ' has ' + length + ' bytes where its entry says ' + size);
    return data;
}

// CRC-32 of the zip format (polynomial 0xEDB88320).
const CrcTable = (() => {
    const table = new Uint32Array(256);
    for (let n = 0; n < 256; ++n) {
        let c = n;
        for (let k = 0; k < 8; ++k) c = c & 1 ? 0xedb88320 ^ (c >>> 1) : c >>> 1;
        table[n] = c >>> 0;
    }
    return table;
})();

function crc32(bytes) {
    let c = 0xffffffff;
    for (let i = 0; i < bytes.length; ++i) c = CrcTable[(c ^ bytes[i]) & 0xff] ^ (c >>> 8);
    return (c ^ 0xffffffff) >>> 0;
}

// A zip (a Blob) of [{path, bytes}], each stored as it is, in the order given.
function writeZip(files) {
    const encoder = new TextEncoder();
    const parts = [], directory = [];
    let offset = 0;
    const header = (signature, name, file, crc, local) => {
        const size = local === undefined ? 30 : 46;
        const h = new DataView(new ArrayBuffer(size));
        h.setUint32(0, signature, true);
        let at = 4;
        if (local !== undefined) { h.setUint16(at, 20, true); at += 2; }  // made by
        h.setUint16(at, 20, true);  // version needed
        h.setUint16(at + 2, 0x0800, true);  // names in UTF-8
        h.setUint16(at + 4, 0, true);  // stored
        h.setUint16(at + 8, 0x21, true);  // 1 January 1980, the format's first day
        h.setUint32(at + 10, crc, true);
        h.setUint32(at + 14, file.bytes.length, true);
        h.setUint32(at + 18, file.bytes.length, true);
        h.setUint16(at + 22, name.length, true);
        if (local !== undefined) h.setUint32(42, local, true);
        return new Uint8Array(h.buffer);
    };
    for (const file of files) {
        const name = encoder.encode(file.path);
        const crc = crc32(file.bytes);
        const local = header(0x04034b50, name, file, crc);
        parts.push(local, name, file.bytes);
        directory.push(header(0x02014b50, name, file, crc, offset), name);
        offset += local.length + name.length + file.bytes.length;
    }
    const directorySize = directory.reduce((sum, part) => sum + part.length, 0);
    const end = new DataView(new ArrayBuffer(22));
    end.setUint32(0, 0x06054b50, true);
    end.setUint16(8, files.length, true);
    end.setUint16(10, files.length, true);
    end.setUint32(12, directorySize, true);
    end.setUint32(16, offset, true);
    return new Blob([...parts, ...directory, new Uint8Array(end.buffer)], { type: 'application/zip' });
}
