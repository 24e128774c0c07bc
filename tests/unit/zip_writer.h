// Zips written as a packager writes them, byte by byte, so that a test can bend any one field.
#pragma once
#include <stdint.h>
#include <zlib.h>

#include <string>
#include <vector>

namespace zip_writer {

struct Member {
    std::string name;
    std::string data;
    bool bDeflate = true;
    uint16_t nFlags = 0;
    uint16_t nMethod = 0xFFFF;  // as bDeflate says, unless set
    int nCrcDelta = 0;          // a wrong checksum
    bool bZip64 = false;        // sizes and offset in a ZIP64 extra field
    // data deflated already (by DeflatedRepeat), with the size and CRC-32 of what it inflates to
    uint32_t cbInflated = 0;
    uint32_t nInflatedCrc = 0;
};

inline void Put16(std::string& out, uint32_t n) {
    out += static_cast<char>(n & 0xFF);
    out += static_cast<char>((n >> 8) & 0xFF);
}
inline void Put32(std::string& out, uint32_t n) {
    Put16(out, n & 0xFFFF);
    Put16(out, n >> 16);
}
inline void Put64(std::string& out, uint64_t n) {
    Put32(out, static_cast<uint32_t>(n));
    Put32(out, static_cast<uint32_t>(n >> 32));
}

inline std::string Deflate(const std::string& data) {
    z_stream stream = {};
    deflateInit2(&stream, 9, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    std::string out(deflateBound(&stream, data.size()) + 16, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
    stream.avail_out = static_cast<uInt>(out.size());
    deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    return out;
}

// A deflate stream of head, then body nRepeat times, then tail, as a Member of cbInflated bytes; the
// body is deflated once: after a full flush it refers to nothing before it, so its bytes repeat.
inline Member DeflatedRepeat(const std::string& name, const std::string& head, const std::string& body,
                             uint32_t nRepeat, const std::string& tail) {
    z_stream stream = {};
    deflateInit2(&stream, 6, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY);
    auto Piece = [&](const std::string& in, int nFlush) {
        std::string out(deflateBound(&stream, in.size()) + 64, '\0');
        stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
        stream.avail_in = static_cast<uInt>(in.size());
        stream.next_out = reinterpret_cast<Bytef*>(&out[0]);
        stream.avail_out = static_cast<uInt>(out.size());
        deflate(&stream, nFlush);
        out.resize(out.size() - stream.avail_out);
        return out;
    };
    std::string deflated = Piece(head, Z_FULL_FLUSH), repeated = Piece(body, Z_FULL_FLUSH);
    uLong nCrc = crc32(0, reinterpret_cast<const Bytef*>(head.data()), static_cast<uInt>(head.size()));
    for (uint32_t i = 0; i < nRepeat; ++i) {
        deflated += repeated;
        nCrc = crc32(nCrc, reinterpret_cast<const Bytef*>(body.data()), static_cast<uInt>(body.size()));
    }
    deflated += Piece(tail, Z_FINISH);
    nCrc = crc32(nCrc, reinterpret_cast<const Bytef*>(tail.data()), static_cast<uInt>(tail.size()));
    deflateEnd(&stream);
    Member member{name, deflated, false};
    member.nMethod = 8;
    member.cbInflated = static_cast<uint32_t>(head.size() + nRepeat * body.size() + tail.size());
    member.nInflatedCrc = static_cast<uint32_t>(nCrc);
    return member;
}

inline std::string WriteZip(const std::vector<Member>& members, bool bZip64End = false, const std::string& comment = "") {
    std::string zip, directory;
    for (const Member& m : members) {
        std::string stored = m.bDeflate ? Deflate(m.data) : m.data;
        uint16_t nMethod = m.nMethod != 0xFFFF ? m.nMethod : (m.bDeflate ? 8 : 0);
        uint32_t nCrc = static_cast<uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(m.data.data()),
                                                    static_cast<uInt>(m.data.size())) + m.nCrcDelta);
        uint32_t cbData = static_cast<uint32_t>(m.data.size());
        if (m.cbInflated != 0) nCrc = m.nInflatedCrc, cbData = m.cbInflated;
        uint32_t offLocal = static_cast<uint32_t>(zip.size());
        Put32(zip, 0x04034b50);
        Put16(zip, 20), Put16(zip, m.nFlags), Put16(zip, nMethod), Put32(zip, 0), Put32(zip, nCrc);
        Put32(zip, static_cast<uint32_t>(stored.size())), Put32(zip, cbData);
        Put16(zip, static_cast<uint32_t>(m.name.size())), Put16(zip, 0);
        zip += m.name + stored;
        Put32(directory, 0x02014b50);
        Put16(directory, 20), Put16(directory, 20), Put16(directory, m.nFlags), Put16(directory, nMethod);
        Put32(directory, 0), Put32(directory, nCrc);
        Put32(directory, m.bZip64 ? 0xFFFFFFFFu : static_cast<uint32_t>(stored.size()));
        Put32(directory, m.bZip64 ? 0xFFFFFFFFu : cbData);
        Put16(directory, static_cast<uint32_t>(m.name.size())), Put16(directory, m.bZip64 ? 28 : 0);
        Put16(directory, 0), Put16(directory, 0), Put16(directory, 0), Put32(directory, 0);
        Put32(directory, m.bZip64 ? 0xFFFFFFFFu : offLocal);
        directory += m.name;
        if (m.bZip64) {
            Put16(directory, 1), Put16(directory, 24);
            Put64(directory, cbData), Put64(directory, stored.size()), Put64(directory, offLocal);
        }
    }
    uint64_t offDirectory = zip.size();
    zip += directory;
    if (bZip64End) {
        uint64_t offZip64End = zip.size();
        Put32(zip, 0x06064b50), Put64(zip, 44), Put16(zip, 45), Put16(zip, 45), Put32(zip, 0), Put32(zip, 0);
        Put64(zip, members.size()), Put64(zip, members.size()), Put64(zip, directory.size()), Put64(zip, offDirectory);
        Put32(zip, 0x07064b50), Put32(zip, 0), Put64(zip, offZip64End), Put32(zip, 1);
    }
    Put32(zip, 0x06054b50), Put16(zip, 0), Put16(zip, 0);
    Put16(zip, bZip64End ? 0xFFFF : static_cast<uint32_t>(members.size()));
    Put16(zip, bZip64End ? 0xFFFF : static_cast<uint32_t>(members.size()));
    Put32(zip, bZip64End ? 0xFFFFFFFFu : static_cast<uint32_t>(directory.size()));
    Put32(zip, bZip64End ? 0xFFFFFFFFu : static_cast<uint32_t>(offDirectory));
    Put16(zip, static_cast<uint32_t>(comment.size()));
    return zip + comment;
}

}  // namespace zip_writer

using zip_writer::Member;
using zip_writer::WriteZip;
