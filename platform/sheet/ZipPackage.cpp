#include "platform/sheet/ZipPackage.h"

#include "platform/sheet/Workbook.h"

#include <QFile>
#include <QFileInfo>

#include <zip.h>

#include <algorithm>
#include <cctype>

namespace sheet {

namespace {

QString notAWorkbook(const QString &file)
{
    return QStringLiteral("文件“%1”不是Excel工作簿（.xlsx格式），不能向其中输出，文件未做任何改动。")
        .arg(QFileInfo(file).fileName());
}

bool sameName(const std::string &a, const std::string &b)
{
    return a.size() == b.size()
        && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

QString zipErrorText(int code)
{
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    const QString text = QString::fromUtf8(zip_error_strerror(&error));
    zip_error_fini(&error);
    return text;
}

} // namespace

ZipPackage::ZipPackage(const QString &file) : m_file(file)
{
    int code = 0;
    m_zip = zip_open(QFile::encodeName(file).constData(), ZIP_RDONLY, &code);
    if (!m_zip) {
        if (code == ZIP_ER_NOZIP || code == ZIP_ER_INCONS)
            throw WorkbookError(notAWorkbook(file));
        throw WorkbookError(QStringLiteral("无法读取文件“%1”：%2").arg(QFileInfo(file).fileName(), zipErrorText(code)));
    }
    const zip_int64_t count = zip_get_num_entries(m_zip, 0);
    m_names.reserve(size_t(std::max<zip_int64_t>(count, 0)));
    for (zip_int64_t i = 0; i < count; ++i) {
        const char *name = zip_get_name(m_zip, zip_uint64_t(i), ZIP_FL_ENC_GUESS);
        m_names.emplace_back(name ? name : "");
    }
}

ZipPackage::~ZipPackage()
{
    if (m_zip)
        zip_discard(m_zip);
}

std::string ZipPackage::find(const std::string &name) const
{
    const std::string wanted = !name.empty() && name.front() == '/' ? name.substr(1) : name;
    for (const std::string &entry : m_names)
        if (sameName(entry, wanted))
            return entry;
    return {};
}

int ZipPackage::indexOf(const std::string &name) const
{
    for (size_t i = 0; i < m_names.size(); ++i)
        if (m_names[i] == name)
            return int(i);
    return -1;
}

QByteArray ZipPackage::read(const std::string &name) const
{
    const std::string entry = find(name);
    const int index = entry.empty() ? -1 : indexOf(entry);
    zip_stat_t stat;
    zip_stat_init(&stat);
    zip_file_t *part = nullptr;
    if (index >= 0 && zip_stat_index(m_zip, zip_uint64_t(index), 0, &stat) == 0)
        part = zip_fopen_index(m_zip, zip_uint64_t(index), 0);
    if (!part)
        throw WorkbookError(QStringLiteral("工作簿“%1”缺少或无法读取其中的“%2”部分。")
                                .arg(QFileInfo(m_file).fileName(), QString::fromStdString(name)));
    QByteArray bytes;
    bytes.resize(qsizetype(stat.size));
    const zip_int64_t got = zip_fread(part, bytes.data(), stat.size);
    zip_fclose(part);
    if (got < 0 || zip_uint64_t(got) != stat.size)
        throw WorkbookError(QStringLiteral("工作簿“%1”中的“%2”部分已损坏。")
                                .arg(QFileInfo(m_file).fileName(), QString::fromStdString(name)));
    return bytes;
}

bool PackageChanges::isRemoved(const std::string &name) const
{
    return std::find(removed.begin(), removed.end(), name) != removed.end();
}

void writePackage(const ZipPackage &source, const PackageChanges &changes, const QString &target)
{
    auto fail = [&target](const QString &why) {
        return WorkbookError(QStringLiteral("无法写入工作簿“%1”：%2").arg(QFileInfo(target).fileName(), why));
    };
    int code = 0;
    zip_t *out = zip_open(QFile::encodeName(target).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
    if (!out)
        throw fail(zipErrorText(code));
    auto abandon = [out, &fail]() {
        const QString why = QString::fromUtf8(zip_strerror(out));
        zip_discard(out);
        return fail(why);
    };

    // libzip reads the buffers when the archive is closed.
    auto addBuffer = [&](const std::string &name, const std::string &bytes) {
        zip_source_t *data = zip_source_buffer(out, bytes.data(), bytes.size(), 0);
        if (!data)
            throw abandon();
        const zip_int64_t index = zip_file_add(out, name.c_str(), data, ZIP_FL_ENC_UTF_8 | ZIP_FL_OVERWRITE);
        if (index < 0) {
            zip_source_free(data);
            throw abandon();
        }
        // zlib's usual level, as libxlsxwriter writes; libzip's own default is the
        // slowest, best compression.
        constexpr zip_uint32_t DeflateLevel = 6;
        zip_set_file_compression(out, zip_uint64_t(index), ZIP_CM_DEFLATE, DeflateLevel);
    };

    for (size_t i = 0; i < source.names().size(); ++i) {
        const std::string &name = source.names()[i];
        if (changes.isRemoved(name))
            continue;
        if (auto replaced = changes.replaced.find(name); replaced != changes.replaced.end()) {
            addBuffer(name, replaced->second);
            continue;
        }
        // Unchanged parts are copied as they are stored, without recompressing them.
        zip_source_t *data = zip_source_zip(out, source.handle(), zip_uint64_t(i), 0, 0, -1);
        if (!data)
            throw abandon();
        if (zip_file_add(out, name.c_str(), data, ZIP_FL_ENC_GUESS) < 0) {
            zip_source_free(data);
            throw abandon();
        }
    }
    for (const auto &[name, bytes] : changes.added)
        addBuffer(name, bytes);

    if (zip_close(out) != 0)
        throw abandon();
}

} // namespace sheet
