// File dialogs and array files.
#include "runtime.h"
#include "testing.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QSaveFile>
#include <QTextStream>
#include <algorithm>
#include <cstring>
#include <optional>
#include <vector>

namespace {

constexpr std::size_t kMaxPath = 260;
constexpr int kErrBadArguments = -3;

struct SeamAnswer {
    int result;
    QByteArray path;
};
std::optional<SeamAnswer> nextAnswer;

void copyPath(const QByteArray &path, char *out) {
    std::size_t n = std::min<std::size_t>(path.size(), kMaxPath - 1);
    std::memcpy(out, path.constData(), n);
    out[n] = '\0';
}

QString buttonText(int buttonLabel) {
    switch (buttonLabel) {
    case VAL_SAVE_BUTTON:
        return QObject::tr("Save");
    case VAL_SELECT_BUTTON:
        return QObject::tr("Select");
    case VAL_LOAD_BUTTON:
        return QObject::tr("Load");
    default:
        return QObject::tr("OK");
    }
}

// "*.dat;*.txt" -> "Parameter files (*.dat *.txt)"
QString nameFilter(const QString &typeList) {
    QString patterns = typeList;
    patterns.replace(';', ' ');
    return QString("Files (%1)").arg(patterns);
}

// Only plain decimal digits count: Qt's conversion alone also takes a number followed by a NUL
// byte and whatever comes after it, or a leading '+'.
bool isDecimal(const QByteArray &field) {
    return std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool supportedLayout(int dataType, int numberOfGroups, int fileType) {
    return dataType == VAL_UNSIGNED_INTEGER && numberOfGroups == 1 && fileType == VAL_ASCII;
}

} // namespace

void SetNextFileSelectAnswer(int result, const char *path) {
    nextAnswer = SeamAnswer{result, QByteArray(path ? path : "")};
}

int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int /*allowCancel*/,
                    int allowMakeDirectory, char *pathOut) {
    if (nextAnswer) {
        SeamAnswer answer = *nextAnswer;
        nextAnswer.reset();
        copyPath(answer.path, pathOut);
        return answer.result;
    }
    QString dir = QString::fromLocal8Bit(defaultDirectory);
    QFileDialog dialog(nullptr, QString::fromUtf8(title), dir);
    dialog.selectFile(QString::fromLocal8Bit(defaultFileSpec));
    dialog.setLabelText(QFileDialog::Accept, buttonText(buttonLabel));
    bool saving = buttonLabel != VAL_LOAD_BUTTON && buttonLabel != VAL_SELECT_BUTTON;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    QString types = QString::fromUtf8(fileTypeList);
    if (restrictExtension) {
        dialog.setNameFilter(nameFilter(types));
        dialog.setDefaultSuffix(QFileInfo(types.section(';', 0, 0)).suffix());
    } else {
        dialog.setNameFilters({nameFilter(types), QObject::tr("All files (*)")});
    }
    if (!allowMakeDirectory)
        dialog.setOption(QFileDialog::ReadOnly);
    if (restrictDirectory)
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                         [&dialog, dir](const QString &) { dialog.setDirectory(dir); });
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        pathOut[0] = '\0';
        return VAL_NO_FILE_SELECTED;
    }
    QString chosen = dialog.selectedFiles().first();
    copyPath(chosen.toLocal8Bit(), pathOut);
    return QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
}

int ArrayToFile(const char *fileName, const void *array, int dataType, int numberOfElements,
                int numberOfGroups, int, int, int, int fieldWidth, int fileType, int) {
    if (!supportedLayout(dataType, numberOfGroups, fileType) || numberOfElements < 0 || !array)
        return kErrBadArguments;
    const auto *values = static_cast<const unsigned int *>(array);
    QByteArray text;
    for (int i = 0; i < numberOfElements; ++i)
        text += QByteArray::number(values[i]).rightJustified(fieldWidth, ' ') + '\n';
    QSaveFile file(QString::fromLocal8Bit(fileName));
    if (!file.open(QIODevice::WriteOnly))
        return kFileIOError;
    // commit() can report success although its last flush failed (a full disk), so the
    // flush is checked first and a partial file never replaces the old one.
    if (file.write(text) != text.size() || !file.flush()) {
        file.cancelWriting();
        return kFileIOError;
    }
    return file.commit() ? 0 : kFileIOError;
}

int FileToArray(const char *fileName, void *array, int dataType, int numberOfElements,
                int numberOfGroups, int, int, int fileType) {
    if (!supportedLayout(dataType, numberOfGroups, fileType) || numberOfElements < 0 || !array)
        return kErrBadArguments;
    QFile file(QString::fromLocal8Bit(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return kFileIOError;
    const QList<QByteArray> fields = file.readAll().simplified().split(' ');
    std::vector<unsigned int> values;
    for (const QByteArray &field : fields) {
        if (field.isEmpty() || static_cast<int>(values.size()) == numberOfElements)
            break;
        bool ok = false;
        unsigned long long v = field.toULongLong(&ok, 10);
        if (!ok || !isDecimal(field))
            return kFileFormatError;
        values.push_back(static_cast<unsigned int>(v));
    }
    if (static_cast<int>(values.size()) < numberOfElements)
        return kFileFormatError;
    std::memcpy(array, values.data(), values.size() * sizeof(unsigned int));
    return 0;
}
