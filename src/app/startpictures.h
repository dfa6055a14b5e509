#pragma once

#include <QImage>
#include <QString>

#include <future>

// The pictures of the start screen, decoded on a second thread while the main thread builds the
// window: the base picture of the start document, the start picture beside the program and the
// program icon. Each is handed out once; one that was never asked to load is decoded on the spot,
// so a window made without preloading (as in the tests) gets the same pictures.
class StartPictures
{
public:
    // The resource paths of the built-in pictures.
    static const QString basePicturePath;
    static const QString programIconPath;

    StartPictures() = default;
    StartPictures(const StartPictures&) = delete;
    StartPictures& operator=(const StartPictures&) = delete;
    // Waits for a decoding still running.
    ~StartPictures() = default;

    // Starts decoding all three; startPicturePath is the start picture's file.
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
};
