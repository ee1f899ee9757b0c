#pragma once

// An animated GIF read back with giflib, each frame composed onto the screen as a viewer shows
// it, to check what the renderer wrote.

#include <gif_lib.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

class CGifPicture {
public:
    using Rgb = std::array<int, 3>;

    bool Load(const std::string& path) {
        std::ifstream file(path, std::ios::binary);
        m_strSignature.assign(kSignatureLength, '\0');
        file.read(m_strSignature.data(), kSignatureLength);
        int error = 0;
        GifFileType* gif = DGifOpenFileName(path.c_str(), &error);
        if (gif == nullptr) {
            return false;
        }
        const bool read = DGifSlurp(gif) == GIF_OK && gif->SColorMap != nullptr;
        if (read) {
            Take(gif);
        }
        DGifCloseFile(gif, &error);
        return read;
    }

    int Width() const { return m_nWidth; }
    int Height() const { return m_nHeight; }
    // "GIF87a" or "GIF89a", as the file begins.
    const std::string& Signature() const { return m_strSignature; }
    int FrameCount() const { return static_cast<int>(m_frames.size()); }
    // Entries of the global colour table, used or not.
    int TableSize() const { return static_cast<int>(m_table.size()); }
    const std::vector<Rgb>& Table() const { return m_table; }
    // The loop count of the NETSCAPE2.0 extension (0: for ever), or -1 without one.
    int LoopCount() const { return m_nLoops; }

    int Delay(int frame) const { return Frame(frame).delay; }
    int Disposal(int frame) const { return Frame(frame).disposal; }
    bool HasLocalTable(int frame) const { return Frame(frame).localTable; }
    Rgb At(int frame, int x, int y) const {
        return Frame(frame)
            .screen[static_cast<std::size_t>(y) * static_cast<std::size_t>(m_nWidth) +
                    static_cast<std::size_t>(x)];
    }

private:
    static constexpr int kSignatureLength = 6;

    struct ShownFrame {
        int delay = -1;
        int disposal = -1;
        bool localTable = false;
        std::vector<Rgb> screen;
    };

    const ShownFrame& Frame(int frame) const {
        return m_frames.at(static_cast<std::size_t>(frame));
    }

    static Rgb ToRgb(const GifColorType& colour) { return {colour.Red, colour.Green, colour.Blue}; }

    void Take(GifFileType* gif) {
        m_nWidth = gif->SWidth;
        m_nHeight = gif->SHeight;
        for (int i = 0; i < gif->SColorMap->ColorCount; ++i) {
            m_table.push_back(ToRgb(gif->SColorMap->Colors[i]));
        }
        std::vector<Rgb> screen(static_cast<std::size_t>(m_nWidth) *
                                    static_cast<std::size_t>(m_nHeight),
                                m_table.at(static_cast<std::size_t>(gif->SBackGroundColor)));
        for (int i = 0; i < gif->ImageCount; ++i) {
            const SavedImage& image = gif->SavedImages[i];
            if (i == 0) {
                ReadLoop(image);
            }
            ShownFrame frame;
            GraphicsControlBlock control{};
            int transparent = NO_TRANSPARENT_COLOR;
            if (DGifSavedExtensionToGCB(gif, i, &control) == GIF_OK) {
                frame.delay = control.DelayTime;
                frame.disposal = control.DisposalMode;
                transparent = control.TransparentColor;
            }
            frame.localTable = image.ImageDesc.ColorMap != nullptr;
            const ColorMapObject* map =
                frame.localTable ? image.ImageDesc.ColorMap : gif->SColorMap;
            const GifImageDesc& desc = image.ImageDesc;
            for (int y = 0; y < desc.Height; ++y) {
                for (int x = 0; x < desc.Width; ++x) {
                    const int index = image.RasterBits[y * desc.Width + x];
                    if (index != transparent && index < map->ColorCount) {
                        screen[static_cast<std::size_t>(desc.Top + y) * m_nWidth +
                               static_cast<std::size_t>(desc.Left + x)] = ToRgb(map->Colors[index]);
                    }
                }
            }
            frame.screen = screen;
            m_frames.push_back(std::move(frame));
        }
    }

    void ReadLoop(const SavedImage& image) {
        for (int i = 0; i + 1 < image.ExtensionBlockCount; ++i) {
            const ExtensionBlock& block = image.ExtensionBlocks[i];
            const ExtensionBlock& data = image.ExtensionBlocks[i + 1];
            if (block.Function == APPLICATION_EXT_FUNC_CODE && block.ByteCount == 11 &&
                std::memcmp(block.Bytes, "NETSCAPE2.0", 11) == 0 && data.ByteCount == 3 &&
                data.Bytes[0] == 1) {
                m_nLoops = data.Bytes[1] | (data.Bytes[2] << 8);
            }
        }
    }

    int m_nWidth = 0;
    int m_nHeight = 0;
    int m_nLoops = -1;
    std::string m_strSignature;
    std::vector<Rgb> m_table;
    std::vector<ShownFrame> m_frames;
};
