#include "foundation/jpeg_image.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "foundation/path_name.h"

#include <jpeglib.h>
// jpeglib.h needs <cstdio> before it; jerror.h names the message codes.
#include <jerror.h>

namespace {

// Limits that keep hostile pictures from taking unbounded memory or time.
constexpr long kJpegMemoryLimit = 512L << 20;
constexpr int kMaxJpegScans = 1000;
constexpr size_t kMaxCompressedBytes = size_t(1) << 30;

u32& DefaultQuality() {
  static u32 quality = 80;
  return quality;
}

// The codec's error manager: errors jump back to the caller's setjmp point
// instead of ending the process; messages are not printed. A premature end
// of the data is an error too, and so is a marker where a scan's data
// should go on (its data ends early): a truncated picture fails at once,
// rather than after the codec has filled the rest of its frame (which a
// few hundred bytes can make as large as the memory limit) with grey.
struct JpegErrors {
  jpeg_error_mgr manager;
  std::jmp_buf jump;
};

[[noreturn]] void ErrorExit(j_common_ptr info) {
  std::longjmp(reinterpret_cast<JpegErrors*>(info->err)->jump, 1);
}

void EmitMessage(j_common_ptr info, int level) {
  if (level >= 0) return;
  info->err->num_warnings++;
  if (info->err->msg_code == JWRN_JPEG_EOF || info->err->msg_code == JWRN_HIT_MARKER) info->err->error_exit(info);
}

void OutputMessage(j_common_ptr) {}

void InstallErrors(JpegErrors* errors) {
  jpeg_std_error(&errors->manager);
  errors->manager.error_exit = ErrorExit;
  errors->manager.emit_message = EmitMessage;
  errors->manager.output_message = OutputMessage;
}

// Stops pictures whose scans never end.
void LimitScans(j_common_ptr info) {
  if (!info->is_decompressor) return;
  if (reinterpret_cast<j_decompress_ptr>(info)->input_scan_number > kMaxJpegScans) {
    info->err->msg_code = JERR_BAD_PROGRESSION;
    info->err->error_exit(info);
  }
}

// A memory destination that grows (doubling) when it fills up.
struct GrowingDestination {
  jpeg_destination_mgr manager;  // first, so that cinfo->dest points here
  u8* buffer = nullptr;
  size_t size = 0;
  size_t written = 0;
};

void InitDestination(j_compress_ptr info) {
  auto* destination = reinterpret_cast<GrowingDestination*>(info->dest);
  destination->manager.next_output_byte = destination->buffer;
  destination->manager.free_in_buffer = destination->size;
  destination->written = 0;
}

boolean GrowDestination(j_compress_ptr info) {
  auto* destination = reinterpret_cast<GrowingDestination*>(info->dest);
  size_t newSize = destination->size * 2;
  u8* buffer = newSize <= kMaxCompressedBytes ? new (std::nothrow) u8[newSize] : nullptr;
  if (!buffer) ERREXIT(info, JERR_OUT_OF_MEMORY);
  std::memcpy(buffer, destination->buffer, destination->size);
  delete[] destination->buffer;
  destination->buffer = buffer;
  destination->manager.next_output_byte = buffer + destination->size;
  destination->manager.free_in_buffer = newSize - destination->size;
  destination->size = newSize;
  return TRUE;
}

void TermDestination(j_compress_ptr info) {
  auto* destination = reinterpret_cast<GrowingDestination*>(info->dest);
  destination->written = destination->size - destination->manager.free_in_buffer;
}

// One compression run. Exactly one of `memory` and `file` is set.
struct CompressJob {
  u32 width = 0;
  u32 height = 0;
  u16 bitsPerPixel = 24;
  const u8* rgb = nullptr;
  int quality = 80;
  GrowingDestination* memory = nullptr;
  std::FILE* file = nullptr;
};

[[nodiscard]] bool CanCompress(const CompressJob* job) {
  return job->rgb && BitmapBufferSize(job->width, job->height, 3) != 0 &&
         (job->bitsPerPixel == 24 || job->bitsPerPixel == 32);
}

[[nodiscard]] bool Compress(const CompressJob* job) {
  if (!CanCompress(job)) return false;
  jpeg_compress_struct info;
  JpegErrors errors;
  InstallErrors(&errors);
  info.err = &errors.manager;
  if (setjmp(errors.jump)) {
    jpeg_destroy_compress(&info);
    return false;
  }
  jpeg_create_compress(&info);
  if (job->memory) {
    job->memory->manager.init_destination = InitDestination;
    job->memory->manager.empty_output_buffer = GrowDestination;
    job->memory->manager.term_destination = TermDestination;
    info.dest = &job->memory->manager;
  } else {
    jpeg_stdio_dest(&info, job->file);
  }
  info.image_width = job->width;
  info.image_height = job->height;
  info.input_components = 3;
  info.in_color_space = JCS_RGB;
  jpeg_set_defaults(&info);
  jpeg_set_quality(&info, job->quality, TRUE);
  jpeg_start_compress(&info, TRUE);
  const size_t inputBytes = job->bitsPerPixel / 8;
  const size_t rowSize = size_t(job->width) * inputBytes;
  JSAMPARRAY converted =
      inputBytes == 3 ? nullptr
                      : (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info),
                                                  JPOOL_IMAGE, job->width * 3, 1);
  for (u32 y = 0; y < job->height; ++y) {
    const u8* in = job->rgb + y * rowSize;
    JSAMPROW row = const_cast<JSAMPROW>(in);
    if (converted) {
      row = converted[0];
      for (u32 x = 0; x < job->width; ++x) std::memcpy(row + size_t(x) * 3, in + x * inputBytes, 3);
    }
    jpeg_write_scanlines(&info, &row, 1);
  }
  jpeg_finish_compress(&info);
  jpeg_destroy_compress(&info);
  return true;
}

// One decompression run from a memory block into a new RGB buffer.
struct DecodeJob {
  const u8* data = nullptr;
  size_t length = 0;
  u8* pixels = nullptr;  // new[]; the caller frees it on failure
  u32 width = 0;
  u32 height = 0;
};

void CmykRowToRgb(const u8* in, u8* out, u32 width, bool inverted) {
  for (u32 x = 0; x < width; ++x, in += 4, out += 3) {
    // Pictures with an Adobe marker store the inks inverted.
    unsigned c = inverted ? in[0] : 255u - in[0];
    unsigned m = inverted ? in[1] : 255u - in[1];
    unsigned y = inverted ? in[2] : 255u - in[2];
    unsigned k = inverted ? in[3] : 255u - in[3];
    out[0] = u8((c * k + 127) / 255);
    out[1] = u8((m * k + 127) / 255);
    out[2] = u8((y * k + 127) / 255);
  }
}

[[nodiscard]] bool Decompress(DecodeJob* job) {
  if (!job->data || job->length < 2) return false;
  jpeg_decompress_struct info;
  JpegErrors errors;
  InstallErrors(&errors);
  info.err = &errors.manager;
  jpeg_progress_mgr progress;
  progress.progress_monitor = LimitScans;
  if (setjmp(errors.jump)) {
    jpeg_destroy_decompress(&info);
    return false;
  }
  jpeg_create_decompress(&info);
  info.mem->max_memory_to_use = kJpegMemoryLimit;
  info.progress = &progress;
  jpeg_mem_src(&info, job->data, static_cast<unsigned long>(job->length));
  jpeg_read_header(&info, TRUE);
  bool cmyk = false;
  switch (info.jpeg_color_space) {
    case JCS_GRAYSCALE:
    case JCS_YCbCr:
    case JCS_RGB:
      info.out_color_space = JCS_RGB;
      break;
    case JCS_CMYK:
    case JCS_YCCK:
      info.out_color_space = JCS_CMYK;
      cmyk = true;
      break;
    default:
      ERREXIT(&info, JERR_CONVERSION_NOTIMPL);
  }
  size_t size = BitmapBufferSize(info.image_width, info.image_height, 3);
  if (size == 0) ERREXIT(&info, JERR_IMAGE_TOO_BIG);
  // A picture of several scans (progressive ones) holds the coefficients of
  // its whole frame (128 bytes a block) while it reads them, and a picture
  // in arithmetic codes whose data is cut short cannot be told (the codec
  // reads zeros after a marker). Such a frame must be in proportion to its
  // data: in Huffman codes each block takes a bit of it at least, so there
  // are no more than 8 blocks a byte, and arithmetic codes are held to the
  // same beyond a first million pixels. A frame out of proportion is
  // refused before its coefficients are made, however large it claims to be.
  if (jpeg_has_multiple_scans(&info) || info.arith_code) {
    constexpr u64 kBlocksAnyData = 16384;
    u64 blocks = 0;
    for (int c = 0; c < info.num_components; ++c)
      blocks += u64(info.comp_info[c].width_in_blocks) * u64(info.comp_info[c].height_in_blocks);
    if (blocks > kBlocksAnyData + u64(job->length) * 8) ERREXIT(&info, JERR_IMAGE_TOO_BIG);
  }
  jpeg_start_decompress(&info);
  if (info.output_components != (cmyk ? 4 : 3) ||
      BitmapBufferSize(info.output_width, info.output_height, 3) != size)
    ERREXIT(&info, JERR_CONVERSION_NOTIMPL);
  job->width = info.output_width;
  job->height = info.output_height;
  // The picture's buffer grows (doubling) as its rows come, so that a
  // picture whose data ends early costs the rows it gave, however large its
  // frame claims to be.
  const size_t rowBytes = size_t(job->width) * 3;
  size_t rowsHeld = std::min<size_t>(job->height, std::max<size_t>(1, (size_t(1) << 20) / rowBytes));
  job->pixels = new (std::nothrow) u8[rowsHeld * rowBytes];
  if (!job->pixels) ERREXIT(&info, JERR_OUT_OF_MEMORY);
  JSAMPARRAY scratch = cmyk ? (*info.mem->alloc_sarray)(reinterpret_cast<j_common_ptr>(&info), JPOOL_IMAGE,
                                                        info.output_width * 4, 1)
                            : nullptr;
  while (info.output_scanline < info.output_height) {
    if (info.output_scanline == rowsHeld) {
      const size_t more = std::min<size_t>(job->height, rowsHeld * 2);
      u8* grown = new (std::nothrow) u8[more * rowBytes];
      if (!grown) ERREXIT(&info, JERR_OUT_OF_MEMORY);
      std::memcpy(grown, job->pixels, rowsHeld * rowBytes);
      delete[] job->pixels;
      job->pixels = grown;
      rowsHeld = more;
    }
    u8* out = job->pixels + size_t(info.output_scanline) * rowBytes;
    JSAMPROW row = cmyk ? scratch[0] : out;
    if (jpeg_read_scanlines(&info, &row, 1) != 1) ERREXIT(&info, JERR_INPUT_EOF);
    if (cmyk) CmykRowToRgb(row, out, job->width, info.saw_Adobe_marker);
  }
  jpeg_finish_decompress(&info);
  jpeg_destroy_decompress(&info);
  return true;
}

}  // namespace

CJpegImage::CJpegImage() : compressedLength(0), quality(80) {}

void CJpegImage::Free() {
  CBitmapImage::Free();
  compressedLength = 0;
}

void CJpegImage::SetQuality(int newQuality) {
  quality = u32(newQuality < 0 ? 0 : newQuality > 100 ? 100 : newQuality);
  DefaultQuality() = quality;
}

u32 CJpegImage::GetDefaultQuality() { return DefaultQuality(); }

bool CJpegImage::DecodeFromMemory(const u8* data, size_t length) {
  DecodeJob job;
  job.data = data;
  job.length = length;
  if (!Decompress(&job)) {
    delete[] job.pixels;
    return false;
  }
  Adopt(job.pixels, job.width * job.height * 3, job.width, job.height, 24);
  compressedLength = 0;
  return true;
}

bool CJpegImage::LoadFile(const CPathName& path) {
  std::vector<u8> bytes;
  return ReadImageFile(path, &bytes) && DecodeFromMemory(bytes.data(), bytes.size());
}

bool CJpegImage::SaveRgbAsJpegFile(u32 width, u32 height, u16 bitsPerPixel, const u8* rgb,
                                   const CPathName& path) {
  CompressJob job;
  job.width = width;
  job.height = height;
  job.bitsPerPixel = bitsPerPixel;
  job.rgb = rgb;
  job.quality = int(DefaultQuality());
  if (!CanCompress(&job)) return false;
  job.file = path.OpenStdioFile("wb");
  if (!job.file) return false;
  bool ok = Compress(&job);
  ok = std::fclose(job.file) == 0 && ok;
  return ok;
}

bool CJpegImage::EncodeRgbToMemory(u32 newWidth, u32 newHeight, u16 newBitsPerPixel,
                                   const u8* rgb) {
  size_t size = BitmapBufferSize(newWidth, newHeight, 3);
  if (size == 0) return false;
  GrowingDestination destination;
  destination.size = size + 1024;
  destination.buffer = new (std::nothrow) u8[destination.size];
  if (!destination.buffer) return false;
  CompressJob job;
  job.width = newWidth;
  job.height = newHeight;
  job.bitsPerPixel = newBitsPerPixel;
  job.rgb = rgb;
  job.quality = int(quality);
  job.memory = &destination;
  if (!Compress(&job)) {
    delete[] destination.buffer;
    return false;
  }
  Adopt(destination.buffer, u32(destination.size), newWidth, newHeight, 24);
  compressedLength = u32(destination.written);
  return true;
}
