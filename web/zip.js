// Reads the files of a zip archive in the browser: stored and deflated
// entries, found through the central directory at the archive's end.
// Every offset and size is checked against the archive before it is used,
// so a damaged or foreign file gives an error that says what is wrong.
'use strict';

// Returns a promise of [{path, bytes}] for the files of `archive` (an
// ArrayBuffer), folders left out; it rejects with an Error naming the fault.
async function readZip(archive) {
    const bytes = new Uint8Array(archive);
    const view = new DataView(archive);
    const fail = (what) => { throw new Error('not a zip archive this page can read: ' + what); };
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

    const decoder = new TextDecoder();
    const files = [];
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
        const packed = bytes.subarray(start, start + packedSize);
        let data;
        if (method === 0) {
            data = packed.slice();
        } else if (method === 8) {
            const stream = new Blob([packed]).stream().pipeThrough(new DecompressionStream('deflate-raw'));
            try {
                data = new Uint8Array(await new Response(stream).arrayBuffer());
            } catch (e) {
                fail(path + ' does not inflate');
            }
        } else {
            fail(path + ' is packed with method ' + method + ' (only stored and deflated entries are read)');
        }
        if (data.length !== size) fail(path + ' has ' + data.length + ' bytes where its entry says ' + size);
        files.push({ path, bytes: data });
    }
    return files;
}
