#include "platform/dshow/decode/MediaContainer.h"

#include "platform/dshow/decode/PresentationOrder.h"

#include <filesystem>
#include <fstream>
#include <system_error>

namespace quellon::decode {

namespace {

bool Fail(OpenFailure& failure, DecodeError kind, const std::string& path, const std::string& reason)
{
    failure.kind = kind;
    failure.message = "Cannot open \"" + path + "\": " + reason + ".";
    return false;
}

double AudioDurationSeconds(const AVFormatContext* format)
{
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if (stream->codecpar->codec_type == AVMEDIA_TYPE_AUDIO && stream->duration > 0)
            return static_cast<double>(stream->duration) * av_q2d(stream->time_base);
    }
    if (format->duration > 0)
        return static_cast<double>(format->duration) / AV_TIME_BASE;
    return -1;
}

// The name of the container format the file's first bytes look like, or nullptr.
const char* RecognisedFormat(const std::string& path)
{
    AVIOContext* io = nullptr;
    if (avio_open(&io, path.c_str(), AVIO_FLAG_READ) < 0)
        return nullptr;
    const AVInputFormat* format = nullptr;
    const int score = av_probe_input_buffer2(io, &format, path.c_str(), nullptr, 0, 0);
    avio_closep(&io);
    if (score <= 0 || !format)
        return nullptr;
    return format->long_name ? format->long_name : format->name;
}

int ChooseVideoStream(const AVFormatContext* format)
{
    int best = -1;
    std::int64_t bestPixels = -1;
    for (unsigned i = 0; i < format->nb_streams; ++i) {
        const AVStream* stream = format->streams[i];
        if (stream->codecpar->codec_type != AVMEDIA_TYPE_VIDEO || (stream->disposition & AV_DISPOSITION_ATTACHED_PIC))
            continue;
        const std::int64_t pixels = std::int64_t{stream->codecpar->width} * stream->codecpar->height;
        if (pixels > bestPixels) {
            best = static_cast<int>(i);
            bestPixels = pixels;
        }
    }
    return best;
}

}  // namespace

bool OpenMediaContainer(const std::string& path, MediaContainer& container, OpenFailure& failure)
{
    failure = OpenFailure{};
    std::error_code error;
    const auto status = std::filesystem::status(path, error);
    if (!std::filesystem::exists(status))
        return Fail(failure, DecodeError::FileNotFound, path, "file not found");
    if (std::filesystem::is_directory(status))
        return Fail(failure, DecodeError::NotMedia, path, "it is a folder, not a media file");
    if (!std::ifstream(path, std::ios::binary).is_open())
        return Fail(failure, DecodeError::FileNotFound, path, "the file cannot be read");
    if (std::filesystem::file_size(path, error) == 0)
        return Fail(failure, DecodeError::NotMedia, path, "the file is empty");

    AVFormatContext* raw = nullptr;
    const int opened = avformat_open_input(&raw, path.c_str(), nullptr, nullptr);
    if (opened < 0) {
        if (opened == AVERROR(ENOENT))
            return Fail(failure, DecodeError::FileNotFound, path, "file not found");
        if (const char* recognised = RecognisedFormat(path))
            return Fail(failure, DecodeError::Corrupt, path,
                        std::string("it looks like ") + recognised + " but cannot be read (" + FfmpegErrorText(opened) +
                            "); it may be truncated or damaged");
        return Fail(failure, DecodeError::NotMedia, path, "not a video or audio file in a known format (" + FfmpegErrorText(opened) + ")");
    }
    container.format.reset(raw);
    AVFormatContext* format = container.format.get();
    // A failure here still leaves whatever streams were found; they are judged below.
    avformat_find_stream_info(format, nullptr);

    container.videoStream = ChooseVideoStream(format);
    if (container.videoStream < 0) {
        for (unsigned i = 0; i < format->nb_streams; ++i) {
            if (format->streams[i]->codecpar->codec_type == AVMEDIA_TYPE_AUDIO) {
                failure.audioDurationSeconds = AudioDurationSeconds(format);
                return Fail(failure, DecodeError::NoVideoStream, path, "it contains sound but no video");
            }
        }
        if (format->nb_streams == 0)
            return Fail(failure, DecodeError::Corrupt, path, "no stream could be found in it; the file may be truncated or damaged");
        return Fail(failure, DecodeError::NoVideoStream, path, "it contains no video");
    }
    const AVCodecParameters* parameters = container.Stream()->codecpar;
    if (parameters->codec_id == AV_CODEC_ID_NONE)
        return Fail(failure, DecodeError::Corrupt, path, "the video stream cannot be identified; the file may be truncated or damaged");
    if (avcodec_find_decoder(parameters->codec_id) == nullptr)
        return Fail(failure, DecodeError::Unsupported, path,
                    std::string("no decoder for the video codec ") + avcodec_get_name(parameters->codec_id));
    const std::int64_t pixels = std::int64_t{parameters->width} * parameters->height;
    if (parameters->width > kMaxPictureSide || parameters->height > kMaxPictureSide || pixels > kMaxPicturePixels)
        return Fail(failure, DecodeError::TooLarge, path,
                    "its pictures are " + std::to_string(parameters->width) + " x " + std::to_string(parameters->height) +
                        " pixels, larger than the supported " + std::to_string(kMaxPictureSide) + " x " +
                        std::to_string(kMaxPictureSide));
    if (parameters->width < 0 || parameters->height < 0)
        return Fail(failure, DecodeError::Corrupt, path, "the video stream declares a negative picture size");

    for (unsigned i = 0; i < format->nb_streams; ++i) {
        if (static_cast<int>(i) != container.videoStream)
            format->streams[i]->discard = AVDISCARD_ALL;
    }
    return true;
}

bool HasMpegStyleReordering(AVCodecID codec)
{
    return codec == AV_CODEC_ID_MPEG1VIDEO || codec == AV_CODEC_ID_MPEG2VIDEO || codec == AV_CODEC_ID_MPEG4;
}

bool ReadPacketTable(MediaContainer& container, bool parsePictureTypes, std::vector<PacketEntry>& entries,
                     OpenFailure& failure)
{
    entries.clear();
    AVFormatContext* format = container.format.get();
    const AVCodecParameters* parameters = container.Stream()->codecpar;

    ParserPtr parser;
    CodecContextPtr parserCodec;
    if (parsePictureTypes) {
        parser.reset(av_parser_init(parameters->codec_id));
        parserCodec.reset(avcodec_alloc_context3(nullptr));
        if (parser && parserCodec && avcodec_parameters_to_context(parserCodec.get(), parameters) >= 0)
            parser->flags |= PARSER_FLAG_COMPLETE_FRAMES;
        else
            parser.reset();
    }

    PacketPtr packet(av_packet_alloc());
    if (!packet)
        throw std::bad_alloc();
    int retries = 0;
    int parsedWidth = 0;
    int parsedHeight = 0;
    for (;;) {
        const int read = av_read_frame(format, packet.get());
        if (read == AVERROR(EAGAIN) && ++retries < 100)
            continue;
        if (read < 0)
            break;
        retries = 0;
        if (packet->stream_index != container.videoStream) {
            av_packet_unref(packet.get());
            continue;
        }
        if (entries.size() >= kMaxPackets) {
            failure.kind = DecodeError::TooLarge;
            failure.message = "Cannot open the file: it has more than " + std::to_string(kMaxPackets) + " video frames.";
            return false;
        }
        PacketEntry entry;
        entry.pts = packet->pts == AV_NOPTS_VALUE ? kNoTimestamp : packet->pts;
        entry.dts = packet->dts == AV_NOPTS_VALUE ? kNoTimestamp : packet->dts;
        entry.pos = packet->pos;
        entry.duration = packet->duration;
        entry.size = packet->size;
        entry.key = (packet->flags & AV_PKT_FLAG_KEY) != 0;
        if (parser) {
            std::uint8_t* parsedData = nullptr;
            int parsedSize = 0;
            parser->pict_type = AV_PICTURE_TYPE_NONE;
            av_parser_parse2(parser.get(), parserCodec.get(), &parsedData, &parsedSize, packet->data, packet->size,
                             packet->pts, packet->dts, packet->pos);
            if (parser->pict_type != AV_PICTURE_TYPE_NONE)
                entry.pictureType = av_get_picture_type_char(static_cast<AVPictureType>(parser->pict_type));
            if (parser->width > 0 && parser->height > 0) {
                entry.newSize = parsedWidth > 0 && (parser->width != parsedWidth || parser->height != parsedHeight);
                parsedWidth = parser->width;
                parsedHeight = parser->height;
            }
        }
        entries.push_back(entry);
        av_packet_unref(packet.get());
    }
    return true;
}

}  // namespace quellon::decode
