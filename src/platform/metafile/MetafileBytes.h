// Little-endian record building for the metafile writers (both formats store LSB first).
#pragma once

#include <QByteArray>

#include <cstdint>
#include <cstring>

namespace zirko {

class TByteWriter {
public:
    QByteArray Bytes;

    qsizetype Size() const { return Bytes.size(); }
    void U8(uint8_t v) { Bytes.append(static_cast<char>(v)); }
    void U16(uint16_t v)
    {
        U8(static_cast<uint8_t>(v & 0xFF));
        U8(static_cast<uint8_t>(v >> 8));
    }
    void U32(uint32_t v)
    {
        U16(static_cast<uint16_t>(v & 0xFFFF));
        U16(static_cast<uint16_t>(v >> 16));
    }
    void I16(int v) { U16(static_cast<uint16_t>(static_cast<int16_t>(v))); }
    void I32(int v) { U32(static_cast<uint32_t>(v)); }
    void F32(float v)
    {
        uint32_t bits = 0;
        std::memcpy(&bits, &v, sizeof bits);
        U32(bits);
    }
    void Zeros(qsizetype count) { Bytes.append(count, '\0'); }
    void PadTo(qsizetype multiple)
    {
        while (Bytes.size() % multiple != 0)
            U8(0);
    }
    void PatchU32(qsizetype at, uint32_t v)
    {
        for (int i = 0; i < 4; ++i)
            Bytes[at + i] = static_cast<char>((v >> (8 * i)) & 0xFF);
    }
    void PatchU16(qsizetype at, uint16_t v)
    {
        Bytes[at] = static_cast<char>(v & 0xFF);
        Bytes[at + 1] = static_cast<char>(v >> 8);
    }
};

} // namespace zirko
