#pragma once

class QIODevice;

// Whether a PDF document was written whole: the "startxref" offset at its end points at a
// cross-reference table, and every object the table lists starts where the table says. A write
// that failed part-way and then went on (a disk that filled and freed space again) leaves a file
// that still ends with "%%EOF" but fails this. Expects the classic cross-reference table that the
// print engines write; device must be open for reading and seekable.
bool PdfStructureIsComplete(QIODevice& device);
