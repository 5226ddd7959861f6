// SPDX-License-Identifier: GPL-3.0-or-later
// Whether the sensor the tool talks to is a recorded session played back, and of which file,
// for every window to say so: a replay must never pass for a live sensor. One for the program.
#pragma once

#include <QLabel>
#include <QObject>
#include <QString>

class SessionReplay : public QObject {
    Q_OBJECT
  public:
    static SessionReplay &instance();

    // The session file played back; empty while the sensor is a live one.
    QString file() const { return file_; }
    // The replay of `file` answers on `device`: the port that opens it is to be chosen.
    void begin(const QString &file, const QString &device);
    void end();

  signals:
    void changed(const QString &file);
    // A device for the Port ring to number and choose, as if the user had named it.
    void deviceOffered(const QString &device);

  private:
    QString file_;
};

// A strip that says "Replay of FILE", shown only during a replay. A window gets it with one
// line, at the top of its layout.
class ReplayBanner : public QLabel {
    Q_OBJECT
  public:
    explicit ReplayBanner(QWidget *parent);

  protected:
    void changeEvent(QEvent *event) override;

  private:
    void follow(const QString &file);
    void paint();

    bool painting_ = false;
};
