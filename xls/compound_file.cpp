// libgsf pulls in GLib headers whose members are named like Qt's keyword
// macros, so they come first.
#include <gsf/gsf.h>

#include "xls/compound_file.h"

#include <QtGlobal>

#if defined(Q_OS_UNIX)
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>

#include "frame/failure.h"

namespace brevanta::xls {

namespace {

void initialiseGsf() {
    static std::once_flag once;
    std::call_once(once, [] { gsf_init(); });
}

// Streams below this size would go into the mini stream; padding past it
// keeps the file in the plain layout every reader handles.
constexpr int kMiniStreamCutoff = 4096;

template <class T>
struct GObjectRef {
    T* object = nullptr;
    ~GObjectRef() { if (object) g_object_unref(object); }
};

}  // namespace

struct PackedCompoundFile::Sink {
    GObjectRef<GsfOutput> output;
};

namespace {

// Packs the stream, given in consecutive pieces, into `sink` as the
// "Workbook" stream of a compound file; `release` drops each piece once it
// is written. False when libgsf refused.
bool pack(GsfOutput* sink, const std::vector<QByteArray>& stream, const std::function<void(size_t)>& release) {
    qsizetype size = 0;
    for (const QByteArray& piece : stream) size += piece.size();
    const QByteArray padding(std::max<qsizetype>(0, kMiniStreamCutoff - size), '\0');

    GObjectRef<GsfOutfile> container{gsf_outfile_msole_new(sink)};
    GObjectRef<GsfOutput> child{gsf_outfile_new_child(container.object, "Workbook", FALSE)};
    bool written = child.object != nullptr;
    auto write = [&](const QByteArray& bytes) {
        written = written && (bytes.isEmpty() || gsf_output_write(child.object, static_cast<size_t>(bytes.size()),
                                                                  reinterpret_cast<const guint8*>(bytes.constData())));
    };
    for (size_t i = 0; i < stream.size(); ++i) {
        write(stream[i]);
        if (release) release(i);
    }
    write(padding);
    written = written && gsf_output_close(child.object);
    // Closing the container closes the sink under it too; a second close trips libgsf's check.
    return gsf_output_close(GSF_OUTPUT(container.object)) && written;
}

}  // namespace

PackedCompoundFile::PackedCompoundFile(std::vector<QByteArray> stream) : sink_(std::make_unique<Sink>()) {
    initialiseGsf();
    sink_->output.object = gsf_output_memory_new();
    if (!pack(sink_->output.object, stream, [&stream](size_t i) { stream[i] = QByteArray(); }))
        throw frame::Failure(QStringLiteral("The workbook could not be packed into its file."));
}

#if defined(Q_OS_UNIX)
QString writeCompoundFile(std::vector<QByteArray> stream, int descriptor) {
    initialiseGsf();
    const int own = ::dup(descriptor);
    FILE* file = own < 0 ? nullptr : ::fdopen(own, "wb");
    if (!file) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        if (own >= 0) ::close(own);
        return reason;
    }
    GObjectRef<GsfOutput> sink{gsf_output_stdio_new_FILE("Workbook", file, FALSE)};  // closes the file with itself
    if (!sink.object) {
        std::fclose(file);
        return QStringLiteral("The workbook could not be packed into its file.");
    }
    const bool packed = pack(sink.object, stream, [&stream](size_t i) { stream[i] = QByteArray(); });
    if (packed) return QString();
    const GError* error = gsf_output_error(sink.object);
    if (error && error->message) return QString::fromUtf8(error->message);
    return QStringLiteral("The file could not be written.");
}
#endif

PackedCompoundFile::~PackedCompoundFile() = default;

const char* PackedCompoundFile::data() const {
    return reinterpret_cast<const char*>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink_->output.object)));
}

qsizetype PackedCompoundFile::size() const { return static_cast<qsizetype>(gsf_output_size(sink_->output.object)); }

QByteArray wrapInCompoundFile(const QByteArray& stream) {
    const PackedCompoundFile packed(stream);
    return QByteArray(packed.data(), packed.size());
}

QByteArray workbookStreamOf(const QByteArray& file) {
    initialiseGsf();
    GObjectRef<GsfInput> input{gsf_input_memory_new(reinterpret_cast<const guint8*>(file.constData()),
                                                    file.size(), FALSE)};
    GError* error = nullptr;
    GObjectRef<GsfInfile> container{gsf_infile_msole_new(input.object, &error)};
    if (error) g_error_free(error);
    if (!container.object)
        throw frame::Failure(QStringLiteral("The file is not an Excel 97-2003 workbook: it is not a compound document."));

    GObjectRef<GsfInput> stream;
    bool olderBook = false;
    const int children = gsf_infile_num_children(container.object);
    for (int i = 0; i < children && !stream.object; ++i) {
        const char* name = gsf_infile_name_by_index(container.object, i);
        if (!name) continue;
        if (g_ascii_strcasecmp(name, "Workbook") == 0)
            stream.object = gsf_infile_child_by_index(container.object, i);
        else if (g_ascii_strcasecmp(name, "Book") == 0)
            olderBook = true;
    }
    if (!stream.object) {
        if (olderBook)
            throw frame::Failure(QStringLiteral("The workbook was saved in an Excel 5.0/95 format, which cannot be opened."));
        throw frame::Failure(QStringLiteral("The file holds no workbook."));
    }
    const gsf_off_t size = gsf_input_size(stream.object);
    if (size < 0 || size > file.size())
        throw frame::Failure(QStringLiteral("The workbook file is damaged: its workbook stream has an impossible size."));
    // Left unfilled: the read fills every byte, or nothing of it is kept.
    QByteArray data(static_cast<qsizetype>(size), Qt::Uninitialized);
    if (size > 0 && !gsf_input_read(stream.object, static_cast<size_t>(size), reinterpret_cast<guint8*>(data.data())))
        throw frame::Failure(QStringLiteral("The workbook file is damaged: its workbook stream cannot be read."));
    return data;
}

}  // namespace brevanta::xls
