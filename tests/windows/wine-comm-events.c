/* Whether receive events of a COM port reach a program under Wine, the two ways a program can wait
 * for them: "event" (WaitCommEvent with an event in the OVERLAPPED) and "iocp" (the handle bound
 * to an I/O completion port, WaitCommEvent with no event, as Qt Serial Port does on Windows).
 * Usage: wine-comm-events.exe COMn event|iocp   Exit 0 when EV_RXCHAR arrived and bytes were read.
 * Build: x86_64-w64-mingw32-gcc -o wine-comm-events.exe wine-comm-events.c */
#include <stdio.h>
#include <string.h>
#include <windows.h>

int main(int argc, char **argv) {
    char path[64];
    HANDLE port, event = NULL, iocp = NULL;
    OVERLAPPED wait, read;
    DWORD mask = 0, got = 0, n = 0;
    ULONG_PTR key = 0;
    LPOVERLAPPED done = NULL;
    DCB dcb;
    COMMTIMEOUTS timeouts;
    char buffer[256];
    int useIocp;
    if (argc != 3)
        return 2;
    useIocp = strcmp(argv[2], "iocp") == 0;
    snprintf(path, sizeof path, "\\\\.\\%s", argv[1]);
    port = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING,
                       FILE_FLAG_OVERLAPPED, NULL);
    if (port == INVALID_HANDLE_VALUE) {
        printf("open %s: error %lu\n", path, GetLastError());
        return 2;
    }
    memset(&dcb, 0, sizeof dcb);
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = 9600;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    if (!SetCommState(port, &dcb))
        printf("SetCommState: error %lu\n", GetLastError());
    memset(&timeouts, 0, sizeof timeouts);
    timeouts.ReadIntervalTimeout = MAXDWORD;
    SetCommTimeouts(port, &timeouts);
    SetCommMask(port, EV_RXCHAR);
    memset(&wait, 0, sizeof wait);
    if (useIocp)
        iocp = CreateIoCompletionPort(port, NULL, 1, 0);
    else
        wait.hEvent = event = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (!WaitCommEvent(port, &mask, &wait) && GetLastError() != ERROR_IO_PENDING) {
        printf("WaitCommEvent: error %lu\n", GetLastError());
        return 2;
    }
    if (useIocp) {
        if (!GetQueuedCompletionStatus(iocp, &got, &key, &done, 5000) || done != &wait) {
            printf("iocp: no completion of WaitCommEvent within 5 s (error %lu)\n",
                   GetLastError());
            COMSTAT status;
            DWORD errors;
            if (ClearCommError(port, &errors, &status))
                printf("iocp: meanwhile %lu bytes wait in the port\n", status.cbInQue);
            return 1;
        }
    } else if (WaitForSingleObject(event, 5000) != WAIT_OBJECT_0) {
        printf("event: WaitCommEvent not signalled within 5 s\n");
        return 1;
    }
    GetOverlappedResult(port, &wait, &got, FALSE);
    printf("%s: WaitCommEvent done, mask %#lx\n", argv[2], mask);
    memset(&read, 0, sizeof read);
    read.hEvent = CreateEventA(NULL, TRUE, FALSE, NULL);
    if (!ReadFile(port, buffer, sizeof buffer, NULL, &read) && GetLastError() != ERROR_IO_PENDING)
        printf("ReadFile: error %lu\n", GetLastError());
    GetOverlappedResult(port, &read, &n, TRUE);
    printf("%s: read %lu bytes\n", argv[2], n);
    return (mask & EV_RXCHAR) && n > 0 ? 0 : 1;
}
