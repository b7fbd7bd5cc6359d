#pragma once

#include <QtGlobal>

// The integer codes providers report calls, errors and capabilities in. They keep the
// names they have always had, so a provider's code reads as the documentation of the
// codes; above the providers, LineCodes turns them into enum class values.
namespace mTAPIConsts {

// Call states
constexpr quint32 LINECALLSTATE_IDLE = 0x1;
constexpr quint32 LINECALLSTATE_DIALTONE = 0x8;
constexpr quint32 LINECALLSTATE_DIALING = 0x10;
constexpr quint32 LINECALLSTATE_RINGBACK = 0x20;
constexpr quint32 LINECALLSTATE_BUSY = 0x40;
constexpr quint32 LINECALLSTATE_SPECIALINFO = 0x80;
constexpr quint32 LINECALLSTATE_CONNECTED = 0x100;
constexpr quint32 LINECALLSTATE_PROCEEDING = 0x200;
constexpr quint32 LINECALLSTATE_DISCONNECTED = 0x4000;

// Why a call was disconnected: the second parameter of the disconnected call state.
constexpr quint32 LINEDISCONNECTMODE_NORMAL = 0x1;
constexpr quint32 LINEDISCONNECTMODE_UNKNOWN = 0x2;
constexpr quint32 LINEDISCONNECTMODE_REJECT = 0x4;
constexpr quint32 LINEDISCONNECTMODE_BUSY = 0x20;
constexpr quint32 LINEDISCONNECTMODE_NOANSWER = 0x40;
constexpr quint32 LINEDISCONNECTMODE_BADADDRESS = 0x80;
constexpr quint32 LINEDISCONNECTMODE_UNREACHABLE = 0x100;
constexpr quint32 LINEDISCONNECTMODE_CONGESTION = 0x200;
constexpr quint32 LINEDISCONNECTMODE_UNAVAIL = 0x800;
constexpr quint32 LINEDISCONNECTMODE_NODIALTONE = 0x1000;

// Capability bits
constexpr quint32 LINEBEARERMODE_VOICE = 0x1;
constexpr quint32 LINEMEDIAMODE_INTERACTIVEVOICE = 0x4;
constexpr quint32 LINEADDRESSMODE_ADDRESSID = 0x1;
constexpr quint32 LINESTRINGFORMAT_ASCII = 0x1;
constexpr quint32 LINECALLPRIVILEGE_NONE = 0x1;

// Errors: the service's result codes, all of the form 0x800000nn.
constexpr qint32 lineErr(quint32 n)
{
    return static_cast<qint32>(0x80000000u | n);
}
constexpr qint32 LINEERR_ALLOCATED = lineErr(0x01);
constexpr qint32 LINEERR_BADDEVICEID = lineErr(0x02);
constexpr qint32 LINEERR_CALLUNAVAIL = lineErr(0x05);
constexpr qint32 LINEERR_INCOMPATIBLEAPIVERSION = lineErr(0x0C);
constexpr qint32 LINEERR_INCOMPATIBLEEXTVERSION = lineErr(0x0D);
constexpr qint32 LINEERR_INUSE = lineErr(0x0F);
constexpr qint32 LINEERR_INVALADDRESS = lineErr(0x10);
constexpr qint32 LINEERR_INVALAPPHANDLE = lineErr(0x14);
constexpr qint32 LINEERR_INVALAPPNAME = lineErr(0x15);
constexpr qint32 LINEERR_INVALCALLHANDLE = lineErr(0x18);
constexpr qint32 LINEERR_INVALCALLSTATE = lineErr(0x1C);
constexpr qint32 LINEERR_INVALDEVICECLASS = lineErr(0x23);
constexpr qint32 LINEERR_INVALDIALPARAMS = lineErr(0x25);
constexpr qint32 LINEERR_INVALLINEHANDLE = lineErr(0x2B);
constexpr qint32 LINEERR_INVALMEDIAMODE = lineErr(0x2F);
constexpr qint32 LINEERR_INVALPARAM = lineErr(0x32);
constexpr qint32 LINEERR_INVALPOINTER = lineErr(0x35);
constexpr qint32 LINEERR_INVALPRIVSELECT = lineErr(0x36);
constexpr qint32 LINEERR_NODEVICE = lineErr(0x42);
constexpr qint32 LINEERR_NOMEM = lineErr(0x44);
constexpr qint32 LINEERR_NOTREGISTERED = lineErr(0x47);
constexpr qint32 LINEERR_OPERATIONFAILED = lineErr(0x48);
constexpr qint32 LINEERR_OPERATIONUNAVAIL = lineErr(0x49);
constexpr qint32 LINEERR_RESOURCEUNAVAIL = lineErr(0x4B);
constexpr qint32 LINEERR_TARGETNOTFOUND = lineErr(0x4E);
constexpr qint32 LINEERR_UNINITIALIZED = lineErr(0x50);

} // namespace mTAPIConsts
