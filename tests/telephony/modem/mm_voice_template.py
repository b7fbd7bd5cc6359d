'''python-dbusmock template: just enough of ModemManager for voice-call tests.

Exports org.freedesktop.ModemManager1 with an ObjectManager, modems at
/org/freedesktop/ModemManager1/Modem/N implementing ...Modem and ...Modem.Voice,
and call objects at /org/freedesktop/ModemManager1/Call/N implementing ...Call.
Method/property/signal signatures follow Debian 12's modemmanager-dev 1.20.4
introspection XML.

Parameters (JSON via -p):
  outcomes     "busy,answer" - consumed one per Call.Start(); the last repeats.
               busy | answer | noanswer | error
  delay_ms     500           - time between state changes
  call_len_ms  0             - remote hangs up after this long (0: never)
  start_error  false         - true: Start() fails with ...Error.Connection.Busy
                               (what MM does when ATD itself returns BUSY)
  modems       [["ModemProto", "FM-LTE"]] - manufacturer/model per modem

Control (on the mock interface, for tests): SetOutcomes(s), AddModem(ss), RemoveModem(o),
Ring(os) - a call from number s comes in on modem o (returns the call's path),
GiveUp(o) - the caller of that incoming call hangs up,
Actions() - "Accept <call path>" and "Hangup <call path>" as they were asked, in order.
Load with:  python3 -m dbusmock --template /path/mm_voice_template.py [-p JSON]
'''
import dbus
from gi.repository import GLib
from dbusmock import mockobject

BUS_NAME = 'org.freedesktop.ModemManager1'
MAIN_OBJ = '/org/freedesktop/ModemManager1'
MAIN_IFACE = 'org.freedesktop.ModemManager1'
SYSTEM_BUS = True
IS_OBJECT_MANAGER = True

MODEM_IFACE = 'org.freedesktop.ModemManager1.Modem'
VOICE_IFACE = 'org.freedesktop.ModemManager1.Modem.Voice'
CALL_IFACE = 'org.freedesktop.ModemManager1.Call'
MOCK_IFACE = 'org.freedesktop.DBus.Mock'

# MMCallState / MMCallStateReason / MMCallDirection (ModemManager-enums.h)
UNKNOWN, DIALING, RINGING_OUT, RINGING_IN, ACTIVE, HELD, WAITING, TERMINATED = range(8)
R_UNKNOWN, R_OUTGOING_STARTED, R_INCOMING_NEW, R_ACCEPTED, R_TERMINATED, R_REFUSED_OR_BUSY, R_ERROR = range(7)
DIRECTION_INCOMING, DIRECTION_OUTGOING = 1, 2

_state = {}


def load(mock, parameters):
    _state.update(outcomes=str(parameters.get('outcomes', 'busy,answer')).split(','),
                  delay=int(parameters.get('delay_ms', 500)),
                  call_len=int(parameters.get('call_len_ms', 0)),
                  start_error=bool(parameters.get('start_error', False)),
                  dials=0, next_call=0, modems=0, tones='', actions=[])
    mock.AddMethods(MAIN_IFACE, [('ScanDevices', '', '', ''), ('SetLogging', 's', '', ''),
                                 ('ReportKernelEvent', 'a{sv}', '', ''), ('InhibitDevice', 'sb', '', '')])
    mock.AddProperty(MAIN_IFACE, 'Version', dbus.String('1.20.4-dbusmock'))
    for manu, model in parameters.get('modems', [['ModemProto', 'FM-LTE']]):
        _add_modem(mock, manu, model)


def _add_modem(mock, manufacturer, model):
    n = _state['modems']
    _state['modems'] += 1
    path = f'{MAIN_OBJ}/Modem/{n}'
    mock.AddObject(path, MODEM_IFACE, {
        'Manufacturer': dbus.String(manufacturer),
        'Model': dbus.String(model),
        'Revision': dbus.String('1.0'),
        'EquipmentIdentifier': dbus.String(f'49015420323751{n}'),
        'DeviceIdentifier': dbus.String(f'fake{n:038x}'),
        'Device': dbus.String(f'/sys/devices/fake/usb{n}'),
        'PrimaryPort': dbus.String(f'ttyUSB{2 + 4 * n}'),
        'Plugin': dbus.String('generic'),
        'State': dbus.Int32(8),                 # MM_MODEM_STATE_REGISTERED
        'PowerState': dbus.UInt32(3),           # MM_MODEM_POWER_STATE_ON
        'CurrentCapabilities': dbus.UInt32(4 | 8),  # GSM_UMTS | LTE
        'OwnNumbers': dbus.Array([], signature='s'),
    }, [('Enable', 'b', '', '')])
    modem = mockobject.objects[path]
    modem.AddProperties(VOICE_IFACE, {'Calls': dbus.Array([], signature='o'),
                                      'EmergencyOnly': dbus.Boolean(False)})
    modem.AddMethod(VOICE_IFACE, 'CreateCall', 'a{sv}', 'o', _create_call)
    modem.AddMethod(VOICE_IFACE, 'ListCalls', '', 'ao', lambda self: self.props[VOICE_IFACE]['Calls'])
    modem.AddMethod(VOICE_IFACE, 'DeleteCall', 'o', '', _delete_call)
    modem.AddMethod(VOICE_IFACE, 'HangupAll', '', '', _hangup_all)
    # AddObject announced only the Modem interface; announce Voice as well
    mock.EmitSignal('org.freedesktop.DBus.ObjectManager', 'InterfacesAdded', 'oa{sa{sv}}',
                    [dbus.ObjectPath(path), {VOICE_IFACE: modem.props[VOICE_IFACE]}])
    return path


def _send_dtmf(call, dtmf):
    # As the daemon does, a call that is not active takes no tones.
    if call.props[CALL_IFACE]['State'] != ACTIVE:
        raise dbus.exceptions.DBusException(
            'Call is not active', name='org.freedesktop.ModemManager1.Error.Core.WrongState')
    _state['tones'] += str(dtmf)


def _set_calls(modem, calls):
    modem.UpdateProperties(VOICE_IFACE, {'Calls': dbus.Array(calls, signature='o')})


def _add_call(modem, number, direction, state, reason):
    path = f'{MAIN_OBJ}/Call/{_state["next_call"]}'
    _state['next_call'] += 1
    modem.AddObject(path, CALL_IFACE, {
        'State': dbus.Int32(state), 'StateReason': dbus.Int32(reason),
        'Direction': dbus.Int32(direction), 'Number': dbus.String(number),
        'Multiparty': dbus.Boolean(False), 'AudioPort': dbus.String(''),
        'AudioFormat': dbus.Dictionary({}, signature='sv'),
    }, [])
    call = mockobject.objects[path]
    call.modem = modem
    call.timers = []
    call.AddMethod(CALL_IFACE, 'Start', '', '', _start)
    call.AddMethod(CALL_IFACE, 'Hangup', '', '', _hangup)
    call.AddMethod(CALL_IFACE, 'Accept', '', '', _accept)
    call.AddMethod(CALL_IFACE, 'SendDtmf', 's', '', _send_dtmf)
    _set_calls(modem, list(modem.props[VOICE_IFACE]['Calls']) + [dbus.ObjectPath(path)])
    modem.EmitSignal(VOICE_IFACE, 'CallAdded', 'o', [dbus.ObjectPath(path)])
    return dbus.ObjectPath(path)


def _create_call(modem, props):
    if 'number' not in props:        # MM accepts only the key "number"
        raise dbus.exceptions.DBusException(
            'Invalid properties dictionary, no number',
            name='org.freedesktop.ModemManager1.Error.Core.InvalidArgs')
    return _add_call(modem, str(props['number']), DIRECTION_OUTGOING, UNKNOWN, R_UNKNOWN)


def _accept(call):
    # As the daemon does: only an incoming call that rings can be accepted.
    if (int(call.props[CALL_IFACE]['State']) != RINGING_IN
            or int(call.props[CALL_IFACE]['Direction']) != DIRECTION_INCOMING):
        raise dbus.exceptions.DBusException(
            'This call was not ringing, cannot accept',
            name='org.freedesktop.ModemManager1.Error.Core.WrongState')
    _state['actions'].append('Accept ' + call.path)
    _change(call, ACTIVE, R_ACCEPTED)


def _change(call, new, reason):
    old = int(call.props[CALL_IFACE]['State'])
    if old == TERMINATED:
        return False
    call.UpdateProperties(CALL_IFACE, {'State': dbus.Int32(new), 'StateReason': dbus.Int32(reason)})
    call.EmitSignal(CALL_IFACE, 'StateChanged', 'iiu', [old, new, reason])
    if new == TERMINATED:
        for t in call.timers:
            GLib.source_remove(t)
        call.timers = []
    return False


def _after(call, ms, new, reason):
    def fire():
        call.timers = [t for t in call.timers if t != tid]
        _change(call, new, reason)
        if new == ACTIVE and _state['call_len']:
            _after(call, _state['call_len'], TERMINATED, R_TERMINATED)
        return False
    tid = GLib.timeout_add(ms, fire)
    call.timers.append(tid)


def _start(call):
    if int(call.props[CALL_IFACE]['State']) != UNKNOWN:
        raise dbus.exceptions.DBusException('call already started',
                                            name='org.freedesktop.ModemManager1.Error.Core.WrongState')
    outs = _state['outcomes']
    outcome = outs[min(_state['dials'], len(outs) - 1)]
    _state['dials'] += 1
    call.outcome = outcome
    d = _state['delay']
    _change(call, DIALING, R_OUTGOING_STARTED)
    if outcome == 'busy' and _state['start_error']:
        _change(call, TERMINATED, R_REFUSED_OR_BUSY)
        raise dbus.exceptions.DBusException('Couldn\'t start call: BUSY',
                                            name='org.freedesktop.ModemManager1.Error.Connection.Busy')
    _after(call, d, RINGING_OUT, R_OUTGOING_STARTED)
    final = {'busy': (TERMINATED, R_REFUSED_OR_BUSY), 'answer': (ACTIVE, R_ACCEPTED),
             'noanswer': (TERMINATED, R_REFUSED_OR_BUSY), 'error': (TERMINATED, R_ERROR)}[outcome]
    _after(call, 2 * d, *final)


def _hangup(call):
    _state['actions'].append('Hangup ' + call.path)
    _change(call, TERMINATED, R_TERMINATED)


def _delete_call(modem, path):
    path = str(path)
    if path not in [str(p) for p in modem.props[VOICE_IFACE]['Calls']]:
        raise dbus.exceptions.DBusException(f'No call found with path {path}',
                                            name='org.freedesktop.ModemManager1.Error.Core.NotFound')
    call = mockobject.objects[path]
    _change(call, TERMINATED, R_TERMINATED)       # "The call will be hangup if it is still active."
    _set_calls(modem, [p for p in modem.props[VOICE_IFACE]['Calls'] if str(p) != path])
    modem.RemoveObject(path)
    modem.EmitSignal(VOICE_IFACE, 'CallDeleted', 'o', [dbus.ObjectPath(path)])


def _hangup_all(modem):
    for p in list(modem.props[VOICE_IFACE]['Calls']):
        _change(mockobject.objects[str(p)], TERMINATED, R_TERMINATED)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def SetOutcomes(self, outcomes):
    '''Test control: replace the outcome list and reset the counter.'''
    _state['outcomes'] = str(outcomes).split(',')
    _state['dials'] = 0


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='s')
def Tones(self):
    '''Test control: every touch tone sent on an active call so far, in order.'''
    return _state['tones']


@dbus.service.method(MOCK_IFACE, in_signature='ss', out_signature='s')
def AddModem(self, manufacturer, model):
    '''Test control: hot-plug another voice-capable modem.'''
    return _add_modem(self, manufacturer, model)


@dbus.service.method(MOCK_IFACE, in_signature='s', out_signature='')
def RemoveModem(self, path):
    '''Test control: unplug a modem, its calls with it, as the daemon announces it.'''
    path = str(path)
    modem = mockobject.objects[path]
    for p in list(modem.props[VOICE_IFACE]['Calls']):
        call = mockobject.objects.get(str(p))
        if call is not None:
            for t in call.timers:
                GLib.source_remove(t)
            call.timers = []
            self.RemoveObject(str(p))
    self.EmitSignal('org.freedesktop.DBus.ObjectManager', 'InterfacesRemoved', 'oas',
                    [dbus.ObjectPath(path), dbus.Array([MODEM_IFACE, VOICE_IFACE], signature='s')])
    self.RemoveObject(path)


@dbus.service.method(MOCK_IFACE, in_signature='os', out_signature='o')
def Ring(self, modem_path, number):
    '''Test control: a call from `number` comes in on the modem and rings.'''
    return _add_call(mockobject.objects[str(modem_path)], str(number), DIRECTION_INCOMING,
                     RINGING_IN, R_INCOMING_NEW)


@dbus.service.method(MOCK_IFACE, in_signature='o', out_signature='')
def GiveUp(self, call_path):
    '''Test control: the caller hangs up (the daemon reports the call terminated).'''
    _change(mockobject.objects[str(call_path)], TERMINATED, R_TERMINATED)


@dbus.service.method(MOCK_IFACE, in_signature='', out_signature='as')
def Actions(self):
    '''Test control: every Accept and Hangup asked of a call so far, in order.'''
    return dbus.Array(_state['actions'], signature='s')
