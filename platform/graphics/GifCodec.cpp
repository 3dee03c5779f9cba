#include "platform/graphics/GifCodec.h"

#include "platform/graphics/DecodeBudget.h"
#include "platform/graphics/DecodeCost.h"
#include "platform/graphics/GifCanvas.h"
#include "platform/graphics/GifLzw.h"
#include "platform/graphics/GifSubBlocks.h"
#include "platform/graphics/PictureProblem.h"
#include "platform/graphics/PixelLimits.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <optional>
#include <string>
#include <vector>

#include <gif_lib.h>

namespace {

struct Reader {
    std::string_view bytes;
    std::size_t offset = 0;
};

int readBytes(GifFileType* gif, GifByteType* out, int length)
{
    auto* reader = static_cast<Reader*>(gif->UserData);
    const std::size_t n = std::min<std::size_t>(static_cast<std::size_t>(std::max(length, 0)),
                                                reader->bytes.size() - reader->offset);
    std::memcpy(out, reader->bytes.data() + reader->offset, n);
    reader->offset += n;
    return static_cast<int>(n);
}

struct GifCloser {
    void operator()(GifFileType* gif) const
    {
        int error = 0;
        DGifCloseFile(gif, &error);
    }
};

// giflib's words for its error code.
void sayError(int code, PictureProblem& problem)
{
    if (code == D_GIF_ERR_NOT_ENOUGH_MEM) {
        problem.noMemory();
        return;
    }
    const char* text = GifErrorString(code);
    problem.undecodable(text ? text : "the GIF data cannot be read");
}

// The next frame's descriptor. giflib also keeps a copy of each descriptor read, with its colour
// map, in a list it grows by one every time: let go at once, so that many frames cost neither that
// memory nor a copy of the whole list each.
bool readDescriptor(GifFileType* gif)
{
    const bool ok = DGifGetImageDesc(gif) != GIF_ERROR;
    GifFreeSavedImages(gif);
    gif->ImageCount = 0;
    return ok;
}

struct FrameControl {
    int disposal = DISPOSAL_UNSPECIFIED;
    int transparent = NO_TRANSPARENT_COLOR;
    double duration = GifCodec::DefaultFrameDuration;
};

using Rect = GifCanvas::Rect;

// Reads an extension; a frame's control sets what control says of the frame that follows. Any other
// extension (a comment, application data), which may stand between a control and its frame,
// changes nothing of it.
bool readExtension(GifFileType* gif, FrameControl& control)
{
    int code = 0;
    GifByteType* block = nullptr;
    if (DGifGetExtension(gif, &code, &block) == GIF_ERROR)
        return false;
    if (code == GRAPHICS_EXT_FUNC_CODE && block && block[0] >= 4) {
        GraphicsControlBlock gcb;
        if (DGifExtensionToGCB(block[0], block + 1, &gcb) == GIF_OK) {
            control.disposal = gcb.DisposalMode;
            control.transparent = gcb.TransparentColor;
            const double seconds = gcb.DelayTime / 100.0;
            control.duration = seconds < 0.011 ? GifCodec::DefaultFrameDuration : seconds;
        }
    }
    while (block) {
        if (DGifGetExtensionNext(gif, &block) == GIF_ERROR)
            return false;
    }
    return true;
}

// The frame's rows drawn onto the canvas as they are read, in display order (interlaced frames
// come in four passes): a frame far larger than the canvas costs one row.
bool readRows(GifLzw& lzw, const Rect& frame, bool interlaced, const Rect& area, GifCanvas& canvas,
              const ColorMapObject& map, int transparent)
{
    std::vector<GifByteType> row(static_cast<std::size_t>(frame.width));
    static const int start[4] = {0, 4, 2, 1}, step[4] = {8, 8, 4, 2};
    const int passes = interlaced ? 4 : 1;
    for (int pass = 0; pass < passes; ++pass) {
        for (int y = passes == 1 ? 0 : start[pass]; y < frame.height; y += passes == 1 ? 1 : step[pass]) {
            if (!lzw.read(row.data(), frame.width))
                return false;
            canvas.drawRow(y, frame, area, row.data(), map, transparent);
        }
    }
    return true;
}

// The frame's data blocks, read in place after giflib has read the minimum code size that leads
// them (and the first block, which is read again).
std::optional<GifSubBlocks> dataBlocks(GifFileType* gif, int& codeSize)
{
    GifByteType* block = nullptr;
    if (DGifGetCode(gif, &codeSize, &block) == GIF_ERROR)
        return std::nullopt;
    auto* reader = static_cast<Reader*>(gif->UserData);
    reader->offset -= block ? std::size_t {block[0]} + 1 : 1;
    return GifSubBlocks(reader->bytes, reader->offset);
}

struct Animation {
    std::vector<UIImagePtr> frames;
    double total = 0;
};

struct Decoding {
    GifFileType* gif;
    GifCanvas canvas;
    GifLzw lzw;
    double scale;
    Animation out;
};

// The frame's pixels drawn from its data, which is then passed over to its end.
bool drawFrame(Decoding& d, const Rect& frame, const Rect& area, const ColorMapObject& map, int transparent,
               PictureProblem& problem)
{
    int codeSize = 0;
    auto blocks = dataBlocks(d.gif, codeSize);
    if (!blocks) {
        sayError(d.gif->Error, problem);
        return false;
    }
    const bool drawn = d.lzw.start(codeSize, *blocks)
        && readRows(d.lzw, frame, d.gif->Image.Interlace, area, d.canvas, map, transparent);
    if (!drawn || !blocks->skip(SIZE_MAX)) {
        problem.undecodable(drawn ? "the file ends inside a frame" : d.lzw.why());
        return false;
    }
    static_cast<Reader*>(d.gif->UserData)->offset = blocks->offset();
    return true;
}

// The next frame drawn and its picture taken; the last, counted beforehand, takes the canvas
// itself and is not disposed of.
bool readFrame(Decoding& d, const FrameControl& control, bool last, PictureProblem& problem)
{
    GifFileType* gif = d.gif;
    if (!readDescriptor(gif)) {
        sayError(gif->Error, problem);
        return false;
    }
    const GifImageDesc& desc = gif->Image;
    const Rect frame {desc.Left, desc.Top, desc.Width, desc.Height};
    const ColorMapObject* map = desc.ColorMap ? desc.ColorMap : gif->SColorMap;
    if (!PixelLimits::allows(frame.width, frame.height)) {
        problem.tooManyPixels(frame.width, frame.height);
        return false;
    }
    if (!map) {
        problem.undecodable("a frame has no colour map");
        return false;
    }
    if (!d.canvas.usable()) {
        problem.undecodable("it holds more frames than were counted");
        return false;
    }
    const Rect area = d.canvas.clip(frame);
    const bool restore = control.disposal == DISPOSE_PREVIOUS && !last;
    const auto before = restore ? d.canvas.save(area) : std::vector<std::uint32_t>();
    if (!drawFrame(d, frame, area, *map, control.transparent, problem))
        return false;
    auto image = d.canvas.picture(d.scale, last);
    if (!image) {
        problem.noMemory();
        return false;
    }
    d.out.frames.push_back(std::move(image));
    d.out.total += control.duration;
    if (control.disposal == DISPOSE_BACKGROUND && !last)
        d.canvas.clear(area);
    else if (restore)
        d.canvas.restore(area, before);
    return true;
}

// What the frames cost together, as each is met: kept as a picture of the screen's size with a
// picture's fixed cost, and decoded over the whole area it declares, even where that lies off the
// screen. Either past the budget refuses the picture before anything is decoded, as does a frame's
// data longer than its pixels can need or extensions past theirs.
class FrameTally {
public:
    explicit FrameTally(std::int64_t screen)
        : m_keptPerFrame(screen + static_cast<std::int64_t>(PixelLimits::FrameOverheadBytes / 4))
    {
    }

    bool add(const GifImageDesc& frame, PictureProblem& problem)
    {
        ++m_frames;
        m_declared += static_cast<std::int64_t>(frame.Width) * frame.Height;
        const char* what = m_frames * m_keptPerFrame > GifCodec::FrameBudget ? "have more than "
            : m_declared > GifCodec::FrameBudget           ? "declare more than "
                                                           : nullptr;
        if (what) {
            problem.undecodable("its frames together " + std::string(what) + std::to_string(GifCodec::FrameBudget)
                                + " pixels");
        }
        return !what;
    }

    // The frame's data passed over, within what its pixels can need.
    bool addData(const GifImageDesc& frame, GifSubBlocks& blocks, PictureProblem& problem)
    {
        const std::size_t bound = GifCodec::frameDataBound(frame.Width, frame.Height);
        if (blocks.skip(bound))
            return true;
        if (blocks.truncated())
            sayError(D_GIF_ERR_READ_FAILED, problem);
        else
            problem.undecodable("a frame's data is longer than its pixels can need (" + std::to_string(frame.Width)
                                + " x " + std::to_string(frame.Height) + ": at most " + std::to_string(bound)
                                + " bytes)");
        return false;
    }

    // An extension, from its label on, passed over within what extensions may take together.
    bool addExtension(GifSubBlocks& blocks, PictureProblem& problem)
    {
        const bool within = blocks.skip(GifCodec::ExtensionBudget - m_extensions);
        m_extensions += blocks.taken();
        if (blocks.truncated())
            sayError(D_GIF_ERR_READ_FAILED, problem);
        else if (!within)
            problem.undecodable("its extensions hold more than " + std::to_string(GifCodec::ExtensionBudget) + " bytes");
        return within;
    }

    std::int64_t frames() const { return m_frames; }

private:
    std::int64_t m_keptPerFrame;
    std::int64_t m_frames = 0, m_declared = 0;
    std::size_t m_extensions = 0;
};

// How many frames there are, counted over their blocks, read in place, before the canvas or any
// frame is made; nothing, with why, when they do not fit the budget together, a frame's data or the
// extensions are longer than allowed, or the data cannot be read: a small file of many frames, or
// of frames far larger than the screen, is refused for the cost of reading it.
std::optional<std::int64_t> countFrames(std::string_view bytes, PictureProblem& problem)
{
    Reader reader {bytes, 0};
    int error = 0;
    std::unique_ptr<GifFileType, GifCloser> gif(DGifOpen(&reader, readBytes, &error));
    if (!gif) {
        sayError(error, problem);
        return std::nullopt;
    }
    FrameTally tally(static_cast<std::int64_t>(gif->SWidth) * gif->SHeight);
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif.get(), &type) == GIF_ERROR) {
            sayError(gif->Error, problem);
            return std::nullopt;
        }
        if (type == TERMINATE_RECORD_TYPE)
            return tally.frames();
        if (type == EXTENSION_RECORD_TYPE) {
            GifSubBlocks blocks(bytes, reader.offset + 1); // after the label
            if (!tally.addExtension(blocks, problem))
                return std::nullopt;
            reader.offset = blocks.offset();
        } else if (type == IMAGE_DESC_RECORD_TYPE) {
            int codeSize = 0;
            auto blocks = readDescriptor(gif.get()) ? dataBlocks(gif.get(), codeSize) : std::nullopt;
            if (!blocks) {
                sayError(gif->Error, problem);
                return std::nullopt;
            }
            if (!tally.add(gif->Image, problem) || !tally.addData(gif->Image, *blocks, problem))
                return std::nullopt;
            reader.offset = blocks->offset();
        }
    }
}

bool readAll(GifFileType* gif, std::int64_t frames, double scale, Animation& out, PictureProblem& problem)
{
    Decoding d {gif, GifCanvas(gif->SWidth, gif->SHeight), {}, scale, {}};
    if (!d.canvas.usable()) {
        problem.noMemory();
        return false;
    }
    FrameControl control;
    for (;;) {
        GifRecordType type;
        if (DGifGetRecordType(gif, &type) == GIF_ERROR) {
            sayError(gif->Error, problem);
            return false;
        }
        bool ok = true;
        switch (type) {
        case EXTENSION_RECORD_TYPE:
            ok = readExtension(gif, control);
            if (!ok)
                sayError(gif->Error, problem);
            break;
        case IMAGE_DESC_RECORD_TYPE:
            ok = readFrame(d, control, static_cast<std::int64_t>(d.out.frames.size()) + 1 == frames, problem);
            control = FrameControl {};
            break;
        case TERMINATE_RECORD_TYPE:
            if (d.out.frames.empty())
                problem.undecodable("it holds no frame");
            out = std::move(d.out);
            return !out.frames.empty();
        default:
            break;
        }
        if (!ok)
            return false;
    }
}

using GifPtr = std::unique_ptr<GifFileType, GifCloser>;

// The data opened with its header read and checked: the screen within PixelLimits, the frames
// within the budget.
GifPtr open(std::string_view bytes, Reader& reader, PictureHeader& header, PictureProblem& problem)
{
    if (!GifCodec::hasSignature(bytes)) {
        problem.notAPicture();
        return nullptr;
    }
    int error = 0;
    GifPtr gif(DGifOpen(&reader, readBytes, &error));
    if (!gif) {
        sayError(error, problem);
        return nullptr;
    }
    header = {gif->SWidth, gif->SHeight};
    if (!PixelLimits::allows(gif->SWidth, gif->SHeight)) {
        problem.tooManyPixels(gif->SWidth, gif->SHeight);
        return nullptr;
    }
    const auto frames = countFrames(bytes, problem);
    if (!frames)
        return nullptr;
    header.frames = *frames;
    return gif;
}

} // namespace

namespace GifCodec {

bool hasSignature(std::string_view bytes)
{
    return bytes.size() >= 6 && (bytes.substr(0, 6) == "GIF87a" || bytes.substr(0, 6) == "GIF89a");
}

std::optional<PictureHeader> probe(std::string_view bytes, PictureProblem& problem)
{
    try {
        Reader reader {bytes, 0};
        PictureHeader header;
        if (!open(bytes, reader, header, problem))
            return std::nullopt;
        return header;
    } catch (const std::bad_alloc&) {
        problem.noMemory();
        return std::nullopt;
    }
}

UIImagePtr decode(std::string_view bytes, double scale)
{
    PictureProblem unsaid;
    return decode(bytes, scale, unsaid);
}

// A row, a frame's saved area and the list of frames are vectors: a picture that finds no memory for
// them is refused, never the end of the run.
UIImagePtr decode(std::string_view bytes, double scale, PictureProblem& problem)
{
    try {
        Reader reader {bytes, 0};
        PictureHeader header;
        const auto gif = open(bytes, reader, header, problem);
        const auto charge = gif ? DecodeBudget::shared().take(DecodeCost::gif(header), problem) : std::nullopt;
        Animation animation;
        if (!charge || !readAll(gif.get(), header.frames, scale, animation, problem))
            return nullptr;
        if (animation.frames.size() == 1)
            return animation.frames.front();
        return UIImage::animatedImageWithImages(std::move(animation.frames), animation.total);
    } catch (const std::bad_alloc&) {
        problem.noMemory();
        return nullptr;
    }
}

} // namespace GifCodec
