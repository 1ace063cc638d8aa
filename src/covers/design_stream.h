#pragma once
// The design stream: cover objects as the ".FCS" design file and the designer's clipboard
// file store them.
//
//   0x01                                   list
//   per object, back to front:
//     "TPF0"                               signature
//     name  class name                     untagged: u8 length + bytes ("TFaxCoverLabel")
//     name  object name                    may be empty
//     per property: name path, value       "Left" 0x02 0x0A, "Font.Style" 0x0B ... 0x00
//     0x00                                 end of properties
//     0x00                                 end of children (cover objects have none)
//   0x00                                   end of list
//
// Properties equal to their defaults are left out, except those always written (bounds,
// Locked, Unselectable, font colour, height and style, field type, fill type, border style,
// Reverse, Flip, the multi-line AutoSize).

#include <QByteArray>

#include "core/status.h"
#include "covers/fax_graphic_control.h"

namespace corvane {

inline constexpr char kDesignObjectSignature[] = "TPF0";

QByteArray EncodeDesignStream(const CoverObjectList& objects);

// Reads objects back, each with its stored name. Records of classes that are not cover
// classes are skipped whole. Any malformed value, unknown property or read past the end
// fails the whole read: no objects are returned then.
Result<CoverObjectList> DecodeDesignStream(const QByteArray& bytes);

}  // namespace corvane
