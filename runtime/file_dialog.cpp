// SPDX-License-Identifier: GPL-3.0-or-later
// File dialogs: Qt's own (non-native) file dialog, with the extension rule of the type list.
#include "runtime.h"
#include "testing.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <cstring>
#include <optional>

namespace {

constexpr qsizetype kPathBufferSize = 260;

struct SeamAnswer {
    int result;
    QByteArray path;
};
std::optional<SeamAnswer> nextAnswer;

// A path cut to fit the caller's buffer would name another file, so one that does not fit is
// refused instead.
int deliverPath(const QByteArray &path, int result, char *out) {
    if (path.size() >= kPathBufferSize) {
        out[0] = '\0';
        return kFilePathTooLong;
    }
    std::memcpy(out, path.constData(), std::size_t(path.size()) + 1);
    return result;
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

// Keeps the dialog open, with a note under the file name, while the chosen name does not
// match the type list. QFileDialog's default suffix only covers names without an extension.
class TypedFileDialog : public QFileDialog {
  public:
    TypedFileDialog(const QString &title, const QString &dir, const QStringList &patterns,
                    bool restrictExtension)
        : QFileDialog(nullptr, title, dir), patterns_(patterns), restrict_(restrictExtension),
          note_(this) {
        setOption(QFileDialog::DontUseNativeDialog);
        const QString filter = tr("Files (%1)").arg(patterns.join(' '));
        if (restrict_) {
            setNameFilter(filter);
            setDefaultSuffix(QFileInfo(patterns.value(0)).suffix());
        } else {
            setNameFilters({filter, tr("All files (*)")});
        }
        note_.setStyleSheet("color: #b00000");
        note_.setWordWrap(true);
        note_.hide();
        if (auto *grid = qobject_cast<QGridLayout *>(layout()))
            grid->addWidget(&note_, grid->rowCount(), 0, 1, -1);
    }

    void accept() override {
        const QStringList chosen = selectedFiles();
        const QFileInfo info(chosen.value(0));
        if (restrict_ && !chosen.isEmpty() && !info.isDir() &&
            !QDir::match(patterns_, info.fileName())) {
            note_.setText(tr("\"%1\" has the wrong extension: choose a name that matches %2.")
                              .arg(info.fileName(), patterns_.join(' ')));
            note_.show();
            return;
        }
        note_.hide();
        QFileDialog::accept();
    }

  private:
    QStringList patterns_;
    bool restrict_;
    QLabel note_;
};

} // namespace

void SetNextFileSelectAnswer(int result, const char *path) {
    nextAnswer = SeamAnswer{result, QByteArray(path ? path : "")};
}

int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec,
                    const char *fileTypeList, const char *title, int buttonLabel,
                    int restrictDirectory, int restrictExtension, int /*allowCancel*/,
                    int allowMakeDirectory, char *pathOut) {
    if (nextAnswer) {
        const SeamAnswer answer = *nextAnswer;
        nextAnswer.reset();
        return deliverPath(answer.path, answer.result, pathOut);
    }
    const QString dir = QString::fromLocal8Bit(defaultDirectory);
    const QStringList patterns = QString::fromUtf8(fileTypeList).split(';', Qt::SkipEmptyParts);
    TypedFileDialog dialog(QString::fromUtf8(title), dir, patterns, restrictExtension != 0);
    dialog.selectFile(QString::fromLocal8Bit(defaultFileSpec));
    dialog.setLabelText(QFileDialog::Accept, buttonText(buttonLabel));
    const bool saving = buttonLabel != VAL_LOAD_BUTTON && buttonLabel != VAL_SELECT_BUTTON;
    dialog.setAcceptMode(saving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(saving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (!allowMakeDirectory)
        dialog.setOption(QFileDialog::ReadOnly);
    if (restrictDirectory)
        QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                         [&dialog, dir](const QString &) { dialog.setDirectory(dir); });
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) {
        pathOut[0] = '\0';
        return VAL_NO_FILE_SELECTED;
    }
    const QString chosen = dialog.selectedFiles().first();
    return deliverPath(
        chosen.toLocal8Bit(),
        QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED, pathOut);
}
