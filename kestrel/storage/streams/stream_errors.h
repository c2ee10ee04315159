#pragma once
// The native error codes of the stream classes and the compressed BLOB
// stream, one per site, so that a failure in a damaged value names the step
// that failed. Codes:
//
//   site                                                         code
//   block copy: short read / short write                         10600 / 10601
//   a stream whose size cannot change                            10602
//   file stream: buffered bytes not taken by the file             10603
//   file stream: the file cannot be cut or extended              10604
//   temporary stream: short copy into its file                   10605
//   open: StartPosition not reached                              10610
//   open, uncompressed: the stream ends before the value         10611
//   scan: short header read                                      10612
//   scan: next block position not reached                        10613
//   scan: the stream ends inside a header                        10614
//   scan or read: damaged block header                           10615
//   open: damaged descriptor (block size, count, length)         10616
//   read: block data position not reached                        10620
//   read: short read of a block's compressed bytes               10621
//   read: the codec fails                                        10622
//   read: decompressed length differs from the header            10623
//   read: checksum differs from the header                       10624
//   write: new block position not reached                        10632
//   write: the codec fails on a new block                        10633
//   write: short header / data write of a new block              10634 / 10635
//   write: last block position not reached                       10636
//   write: the codec fails on the last block                     10637
//   write: short header / data write of the last block           10638 / 10639
//   SetSize: short write while growing                           10640
//   SetSize: extension of zero or fewer bytes                    10641
//   SetSize: underlying size after the cut                       10642
//   SetSize: position after the cut                              10643
//   SetSize: short write of the cut block                        10644
//   SetSize: the codec fails on the cut block                    10645
//   SetSize: a negative size                                     10646
//   local BLOB stream: write / size change when read only        10650 / 10651
//   table BLOB block: stored bytes / block count beyond limits   10652 / 10653
//   table BLOB block: short copy into the value's stream         10654
//   table BLOB block: short write of a compressed default value  10655

namespace kestrel::stream_site {

inline constexpr int kCopyRead = 10600;
inline constexpr int kCopyWrite = 10601;
inline constexpr int kFixedSize = 10602;
inline constexpr int kFileFlush = 10603;
inline constexpr int kFileSetSize = 10604;
inline constexpr int kTemporaryCopy = 10605;

inline constexpr int kOpenPosition = 10610;
inline constexpr int kOpenTooSmall = 10611;
inline constexpr int kScanHeaderRead = 10612;
inline constexpr int kScanNextPosition = 10613;
inline constexpr int kScanTooSmall = 10614;
inline constexpr int kDamagedHeader = 10615;
inline constexpr int kDamagedDescriptor = 10616;

inline constexpr int kReadPosition = 10620;
inline constexpr int kReadData = 10621;
inline constexpr int kReadDecompress = 10622;
inline constexpr int kReadLength = 10623;
inline constexpr int kReadChecksum = 10624;

inline constexpr int kWriteBlockPosition = 10632;
inline constexpr int kWriteCompress = 10633;
inline constexpr int kWriteHeader = 10634;
inline constexpr int kWriteData = 10635;
inline constexpr int kRewritePosition = 10636;
inline constexpr int kRewriteCompress = 10637;
inline constexpr int kRewriteHeader = 10638;
inline constexpr int kRewriteData = 10639;

inline constexpr int kGrowWrite = 10640;
inline constexpr int kGrowExtension = 10641;
inline constexpr int kCutSize = 10642;
inline constexpr int kCutPosition = 10643;
inline constexpr int kCutWrite = 10644;
inline constexpr int kCutCompress = 10645;
inline constexpr int kNegativeSize = 10646;

inline constexpr int kReadOnlyWrite = 10650;
inline constexpr int kReadOnlySetSize = 10651;
inline constexpr int kBlobTooLarge = 10652;
inline constexpr int kBlobTooManyBlocks = 10653;
inline constexpr int kBlobCopyIn = 10654;
inline constexpr int kBlobDefaultWrite = 10655;

}  // namespace kestrel::stream_site
