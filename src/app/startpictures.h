#pragma once

#include <QImage>
#include <QString>

#include <future>
#include <thread>

// The pictures of the start screen, decoded on one second thread while the main thread builds
// the window: the program icon, the base picture of the start document, the start picture beside
// the program, and the textures of the window's backgrounds. One thread, in the order the window
// needs them, because on a machine of two cores more threads only take turns with the main one.
// Each picture is handed out once; one that was never asked to load is decoded on the spot, so a
// window made without preloading (as in the tests) gets the same pictures.
class StartPictures
{
public:
    // The resource paths of the built-in pictures.
    static const QString basePicturePath;
    static const QString programIconPath;

    StartPictures() = default;
    StartPictures(const StartPictures&) = delete;
    StartPictures& operator=(const StartPictures&) = delete;
    // Waits for the second thread to finish.
    ~StartPictures();

    // Starts decoding; startPicturePath is the start picture's file. Called at most once.
    void startLoading(const QString& startPicturePath);

    // The decoded picture, waiting for the second thread if it is not done yet; a null image
    // when the file cannot be read.
    QImage basePicture();
    QImage startPicture(const QString& path);
    QImage programIcon();

private:
    static QImage take(std::future<QImage>& loading, const QString& path);

    std::future<QImage> m_base;
    std::future<QImage> m_start;
    std::future<QImage> m_icon;
    QString m_startPath;
    std::thread m_worker;
};
