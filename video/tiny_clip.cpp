#include "video/tiny_clip.h"

#include <cstddef>
#include <initializer_list>
#include <string>

namespace mt {
namespace {

using Bytes = std::vector<std::uint8_t>;

// Bits of an H.264 parameter set or slice, most significant first.
class BitWriter {
public:
    void Bit(unsigned b) {
        if (bits_ % 8 == 0) out_.push_back(0);
        if (b) out_.back() |= static_cast<std::uint8_t>(0x80u >> (bits_ % 8));
        ++bits_;
    }
    void Bits(unsigned value, int count) {
        for (int i = count - 1; i >= 0; --i) Bit(value >> i & 1u);
    }
    // Exp-Golomb: ue(v), and se(v) for the signed values used here (0 only).
    void Ue(unsigned value) {
        const unsigned v = value + 1;
        int length = 0;
        while (v >> (length + 1)) ++length;
        Bits(0, length);
        Bits(v, length + 1);
    }
    void AlignWithZeros() {
        while (bits_ % 8) Bit(0);
    }
    // rbsp_trailing_bits.
    Bytes Finish() {
        Bit(1);
        AlignWithZeros();
        return out_;
    }

private:
    Bytes out_;
    std::size_t bits_ = 0;
};

Bytes Sps() {
    BitWriter w;
    w.Bits(0x67, 8);  // nal_ref_idc 3, type 7
    w.Bits(66, 8);    // baseline
    w.Bits(0xC0, 8);  // constraint_set0 and 1
    w.Bits(10, 8);    // level 1.0
    w.Ue(0);          // seq_parameter_set_id
    w.Ue(0);          // log2_max_frame_num_minus4
    w.Ue(2);          // pic_order_cnt_type: output order is decoding order
    w.Ue(1);          // max_num_ref_frames
    w.Bit(0);         // gaps_in_frame_num_value_allowed_flag
    w.Ue(0);          // pic_width_in_mbs_minus1
    w.Ue(0);          // pic_height_in_map_units_minus1
    w.Bit(1);         // frame_mbs_only_flag
    w.Bit(1);         // direct_8x8_inference_flag
    w.Bit(0);         // frame_cropping_flag
    w.Bit(0);         // vui_parameters_present_flag
    return w.Finish();
}

Bytes Pps() {
    BitWriter w;
    w.Bits(0x68, 8);  // nal_ref_idc 3, type 8
    w.Ue(0);          // pic_parameter_set_id
    w.Ue(0);          // seq_parameter_set_id
    w.Bit(0);         // entropy_coding_mode_flag: CAVLC
    w.Bit(0);         // bottom_field_pic_order_in_frame_present_flag
    w.Ue(0);          // num_slice_groups_minus1
    w.Ue(0);          // num_ref_idx_l0_default_active_minus1
    w.Ue(0);          // num_ref_idx_l1_default_active_minus1
    w.Bit(0);         // weighted_pred_flag
    w.Bits(0, 2);     // weighted_bipred_idc
    w.Ue(0);          // pic_init_qp_minus26, se(0)
    w.Ue(0);          // pic_init_qs_minus26, se(0)
    w.Ue(0);          // chroma_qp_index_offset, se(0)
    w.Bit(1);         // deblocking_filter_control_present_flag
    w.Bit(0);         // constrained_intra_pred_flag
    w.Bit(0);         // redundant_pic_cnt_present_flag
    return w.Finish();
}

// An IDR slice of one I_PCM macroblock: 256 luma and 2 x 64 chroma samples, all
// 128 (no byte of the slice is 0, so none needs emulation prevention).
Bytes IdrSlice() {
    BitWriter w;
    w.Bits(0x65, 8);  // nal_ref_idc 3, type 5
    w.Ue(0);          // first_mb_in_slice
    w.Ue(7);          // slice_type: I, every slice of the picture
    w.Ue(0);          // pic_parameter_set_id
    w.Bits(0, 4);     // frame_num
    w.Ue(0);          // idr_pic_id
    w.Bit(0);         // no_output_of_prior_pics_flag
    w.Bit(0);         // long_term_reference_flag
    w.Ue(0);          // slice_qp_delta, se(0)
    w.Ue(1);          // disable_deblocking_filter_idc
    w.Ue(25);         // mb_type I_PCM
    w.AlignWithZeros();
    for (int i = 0; i < 256 + 2 * 64; ++i) w.Bits(128, 8);
    return w.Finish();
}

void Put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}
void Put32(Bytes& b, std::uint32_t v) {
    Put16(b, v >> 16);
    Put16(b, v & 0xFFFFu);
}
void PutZeros(Bytes& b, std::size_t n) { b.insert(b.end(), n, 0); }
void PutBytes(Bytes& b, const Bytes& more) { b.insert(b.end(), more.begin(), more.end()); }

// A box: its size, type and contents; a full box also has version 0 and flags.
Bytes Box(const char* type, std::initializer_list<Bytes> parts) {
    Bytes b;
    Put32(b, 0);
    b.insert(b.end(), type, type + 4);
    for (const Bytes& p : parts) PutBytes(b, p);
    const auto size = static_cast<std::uint32_t>(b.size());
    b[0] = static_cast<std::uint8_t>(size >> 24);
    b[1] = static_cast<std::uint8_t>(size >> 16);
    b[2] = static_cast<std::uint8_t>(size >> 8);
    b[3] = static_cast<std::uint8_t>(size);
    return b;
}
Bytes Full(const char* type, std::uint32_t flags, Bytes fields) {
    Bytes b;
    Put32(b, flags);
    PutBytes(b, fields);
    return Box(type, {b});
}
Bytes Fields(std::initializer_list<std::uint32_t> values) {
    Bytes b;
    for (std::uint32_t v : values) Put32(b, v);
    return b;
}
// The unity matrix of mvhd and tkhd.
Bytes Matrix() { return Fields({0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000}); }

}  // namespace

std::vector<std::uint8_t> TinyH264Clip() {
    const Bytes sps = Sps(), pps = Pps(), slice = IdrSlice();
    // The sample: the slice with its 4-byte length.
    Bytes sample;
    Put32(sample, static_cast<std::uint32_t>(slice.size()));
    PutBytes(sample, slice);
    const std::uint32_t timescale = 15000, duration = 1000;  // one frame at 15 fps

    Bytes mvhd = Fields({0, 0, timescale, duration, 0x10000});
    Put16(mvhd, 0x0100);  // volume
    PutZeros(mvhd, 10);
    PutBytes(mvhd, Matrix());
    PutZeros(mvhd, 24);
    Put32(mvhd, 2);  // next track id
    Bytes tkhd = Fields({0, 0, 1, 0, duration, 0, 0});
    Put16(tkhd, 0);  // layer
    Put16(tkhd, 0);  // alternate group
    Put16(tkhd, 0);  // volume
    Put16(tkhd, 0);
    PutBytes(tkhd, Matrix());
    PutBytes(tkhd, Fields({16u << 16, 16u << 16}));
    Bytes mdhd = Fields({0, 0, timescale, duration});
    Put16(mdhd, 0x55C4);  // language "und"
    Put16(mdhd, 0);
    Bytes hdlr = Fields({0});
    hdlr.insert(hdlr.end(), {'v', 'i', 'd', 'e'});
    PutZeros(hdlr, 12);
    hdlr.insert(hdlr.end(), {'V', 'i', 'd', 'e', 'o', 0});
    Bytes vmhd;
    PutZeros(vmhd, 8);

    Bytes avcC = {1, 66, 0xC0, 10, 0xFF, 0xE1};  // 4-byte lengths, one SPS
    Put16(avcC, static_cast<unsigned>(sps.size()));
    PutBytes(avcC, sps);
    avcC.push_back(1);  // one PPS
    Put16(avcC, static_cast<unsigned>(pps.size()));
    PutBytes(avcC, pps);
    Bytes avc1;
    PutZeros(avc1, 6);
    Put16(avc1, 1);  // data reference index
    PutZeros(avc1, 16);
    Put16(avc1, 16);  // width
    Put16(avc1, 16);  // height
    PutBytes(avc1, Fields({0x480000, 0x480000, 0}));
    Put16(avc1, 1);  // frames per sample
    PutZeros(avc1, 32);  // compressor name
    Put16(avc1, 0x18);  // depth
    Put16(avc1, 0xFFFF);
    PutBytes(avc1, Box("avcC", {avcC}));

    const Bytes ftyp = Box("ftyp", {Bytes{'i', 's', 'o', 'm', 0, 0, 2, 0, 'i', 's', 'o', 'm', 'a', 'v', 'c', '1'}});
    auto moovWith = [&](std::uint32_t sampleAt) {
        const Bytes stbl = Box("stbl", {Full("stsd", 0, [&] {
                                            Bytes b = Fields({1});
                                            PutBytes(b, Box("avc1", {avc1}));
                                            return b;
                                        }()),
                                        Full("stts", 0, Fields({1, 1, duration})),
                                        Full("stss", 0, Fields({1, 1})),
                                        Full("stsc", 0, Fields({1, 1, 1, 1})),
                                        Full("stsz", 0, Fields({0, 1, static_cast<std::uint32_t>(sample.size())})),
                                        Full("stco", 0, Fields({1, sampleAt}))});
        const Bytes dinf = Box("dinf", {Full("dref", 0, [] {
                                           Bytes b = Fields({1});
                                           PutBytes(b, Full("url ", 1, {}));
                                           return b;
                                       }())});
        const Bytes minf = Box("minf", {Full("vmhd", 1, vmhd), dinf, stbl});
        const Bytes mdia = Box("mdia", {Full("mdhd", 0, mdhd), Full("hdlr", 0, hdlr), minf});
        const Bytes trak = Box("trak", {Full("tkhd", 3, tkhd), mdia});
        return Box("moov", {Full("mvhd", 0, mvhd), trak});
    };
    // The sample follows the movie box, 8 bytes into the media data box.
    const std::size_t moovSize = moovWith(0).size();
    Bytes file = ftyp;
    PutBytes(file, moovWith(static_cast<std::uint32_t>(ftyp.size() + moovSize + 8)));
    PutBytes(file, Box("mdat", {sample}));
    return file;
}

}  // namespace mt
