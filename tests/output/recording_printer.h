#pragma once

#include "output/print_service.h"

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

// Records each print request together with the bytes the file held at the
// moment of the request, so a test can tell that the file was complete.
class RecordingPrinter : public taviro::PrintService
{
public:
    struct Request
    {
        QString path;
        QByteArray bytes;
        bool readable = false;
    };

    void printFile(const QString &path) override
    {
        Request request;
        request.path = path;
        QFile file(path);
        request.readable = file.open(QIODevice::ReadOnly);
        if (request.readable)
            request.bytes = file.readAll();
        requests.append(request);
    }

    QList<Request> requests;
};
