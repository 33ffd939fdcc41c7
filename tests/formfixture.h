// SPDX-FileCopyrightText: Pontiva developers
// SPDX-License-Identifier: GPL-3.0-or-later
// A loaded main window with scripted dialogs, and ways to point at its picture.
#pragma once

#include "language/idioma.h"
#include "scripteddialogs.h"
#include "testfiles.h"
#include "ui/form1.h"
#include "view/picturepanel.h"

#include <QApplication>
#include <QImage>
#include <QLineEdit>
#include <QRadioButton>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <memory>

struct FormFixture {
    QTemporaryDir home;
    ScriptedDialogs dialogs;
    std::unique_ptr<Form1> form;
    int endCount = 0;

    // `prepareHome` runs before the window loads, to lay out its home folder.
    explicit FormFixture(const QString &idioma = QStringLiteral("Ingles"),
                         const std::function<void(const QTemporaryDir &)> &prepareHome = {})
    {
        qputenv("HOME", home.path().toLocal8Bit());
        if (prepareHome)
            prepareHome(home);
        Idioma = idioma;
        form = std::make_unique<Form1>(dialogs);
        form->endProgram = [this] { ++endCount; };
        form->Form_Load();
        QVERIFY(QTest::qWaitForWindowExposed(form.get()));
    }

    template<class T>
    T *get(const char *name) const
    {
        T *control = form->findChild<T *>(QLatin1String(name));
        if (!control)
            qFatal("no control %s", name);
        return control;
    }
    PicturePanel *picture() const { return get<PicturePanel>("Picture2"); }
    // What the data file holds now.
    QByteArray dataFile() const { return fileBytes(form->NomeFicheiro); }
    QWidget *viewport() const { return get<QWidget>("Picture1Client"); }

    QString makePicture(const QString &name, int width, int height, const char *format = "BMP",
                        QColor fill = Qt::white) const
    {
        QImage image(width, height, QImage::Format_RGB32);
        image.fill(fill);
        const QString path = home.filePath(name);
        if (!image.save(path, format))
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    void load(const std::optional<QString> &path)
    {
        dialogs.pictureAnswers.push_back(path);
        get<QAction>("Ler")->trigger();
    }

    // Axes parallel to the edges: point 0 at (10, 10) reads (0, 0), point 1
    // at (90, 10) reads (x1, 0) and point 2 at (10, 90) reads (0, y2) on a
    // 1000 x 1000 picture, so logical positions fall on pixels. Ends in
    // data-reading mode, entered with no pointer move since.
    void calibrate(const QString &x1 = QStringLiteral("8"), const QString &y2 = QStringLiteral("4"))
    {
        load(makePicture(QStringLiteral("chart.bmp"), 1000, 1000));
        click(10, 10);
        get<QRadioButton>("Option_Canto1")->click();
        get<QLineEdit>("Text_X1")->setText(x1);
        click(90, 10);
        get<QRadioButton>("Option_Canto2")->click();
        get<QLineEdit>("Text_Y2")->setText(y2);
        click(10, 90);
        get<QRadioButton>("Option_LeituraDados")->click();
    }

    // Pixel position on the picture panel of logical picture coordinates.
    QPoint pixelAt(float x, float y) const
    {
        const QSize size = picture()->size();
        return QPoint(int(x / 100 * size.width()), int((100 - y) / 100 * size.height()));
    }
    // Straight to the panel, so that parts scrolled out of view can be reached.
    void moveTo(float x, float y) { send(QEvent::MouseMove, pixelAt(x, y), Qt::NoButton, Qt::NoButton); }
    void click(float x, float y, Qt::MouseButton button = Qt::LeftButton)
    {
        send(QEvent::MouseButtonPress, pixelAt(x, y), button, button);
        send(QEvent::MouseButtonRelease, pixelAt(x, y), button, Qt::NoButton);
    }
    void send(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons buttons)
    {
        QMouseEvent event(type, QPointF(at), picture()->mapToGlobal(QPointF(at)), button, buttons, Qt::NoModifier);
        QApplication::sendEvent(picture(), &event);
    }
};
