// File dialogs.
#include "runtime.h"
#include "testing.h"

#include <QFileDialog>
#include <QFileInfo>
#include <algorithm>
#include <cstring>
#include <optional>

namespace {

constexpr std::size_t kMaxPath = 260;

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
