/* An empty ALSA sequencer for Qtractor on machines without /dev/snd/seq, loaded with LD_PRELOAD
 * by qtractor-clap-check.sh: Qtractor's engine will not start without a sequencer. Every call
 * Qtractor makes on the sequencer handle is answered here (libasound is never reached with the
 * fake handle); the info-struct helpers it also calls stay libasound's own. No other client or
 * port exists, no event ever arrives, and the one poll descriptor is a pipe nobody writes. */
#include <errno.h>
#include <poll.h>
#include <unistd.h>

static char handle_storage;
static int quiet_pipe[2] = {-1, -1};
static int next_port;

#define SEQ void* seq
#define UNUSED(x) (void)(x)

int snd_seq_open(void** handle, const char* name, int streams, int mode)
{
    UNUSED(name), UNUSED(streams), UNUSED(mode);
    if (quiet_pipe[0] < 0 && pipe(quiet_pipe) != 0)
        return -errno;
    *handle = &handle_storage;
    return 0;
}

int snd_seq_poll_descriptors_count(SEQ, short events)
{
    UNUSED(seq), UNUSED(events);
    return 1;
}

int snd_seq_poll_descriptors(SEQ, struct pollfd* fds, unsigned int space, short events)
{
    UNUSED(seq);
    if (space < 1)
        return 0;
    fds->fd = quiet_pipe[0];
    fds->events = events;
    fds->revents = 0;
    return 1;
}

int snd_seq_create_simple_port(SEQ, const char* name, unsigned int caps, unsigned int type)
{
    UNUSED(seq), UNUSED(name), UNUSED(caps), UNUSED(type);
    return next_port++;
}

int snd_seq_event_input(SEQ, void** event)
{
    UNUSED(seq);
    *event = 0;
    return -EAGAIN;
}

int snd_seq_client_id(SEQ)
{
    UNUSED(seq);
    return 128;
}

/* Calls that succeed and change nothing. */
#define SUCCEEDS(name, ...)                                                                        \
    int name(SEQ, __VA_ARGS__)                                                                     \
    {                                                                                              \
        UNUSED(seq);                                                                               \
        return 0;                                                                                  \
    }
#define SUCCEEDS0(name)                                                                            \
    int name(SEQ)                                                                                  \
    {                                                                                              \
        UNUSED(seq);                                                                               \
        return 0;                                                                                  \
    }
/* Queries about other clients and ports: there are none. */
#define NOTHING(name, ...)                                                                         \
    int name(SEQ, __VA_ARGS__)                                                                     \
    {                                                                                              \
        UNUSED(seq);                                                                               \
        return -ENOENT;                                                                            \
    }

#pragma GCC diagnostic ignored "-Wunused-parameter"
SUCCEEDS0(snd_seq_close)
SUCCEEDS0(snd_seq_alloc_queue)
SUCCEEDS0(snd_seq_drain_output)
SUCCEEDS0(snd_seq_drop_output)
SUCCEEDS0(snd_seq_drop_input)
SUCCEEDS(snd_seq_set_client_name, const char* name)
SUCCEEDS(snd_seq_delete_simple_port, int port)
SUCCEEDS(snd_seq_free_queue, int queue)
SUCCEEDS(snd_seq_event_input_pending, int fetch)
SUCCEEDS(snd_seq_event_output, void* event)
SUCCEEDS(snd_seq_event_output_direct, void* event)
SUCCEEDS(snd_seq_control_queue, int queue, int type, int value, void* event)
SUCCEEDS(snd_seq_get_queue_status, int queue, void* status)
SUCCEEDS(snd_seq_get_queue_tempo, int queue, void* tempo)
SUCCEEDS(snd_seq_set_queue_tempo, int queue, void* tempo)
SUCCEEDS(snd_seq_set_queue_timer, int queue, void* timer)
SUCCEEDS(snd_seq_remove_events, void* remove)
SUCCEEDS(snd_seq_get_port_info, int port,
         void* info) /* our own ports: Qtractor checks they exist */
SUCCEEDS(snd_seq_set_port_info, int port, void* info)
SUCCEEDS(snd_seq_subscribe_port, void* subscription)
SUCCEEDS(snd_seq_unsubscribe_port, void* subscription)
NOTHING(snd_seq_get_any_client_info, int client, void* info)
NOTHING(snd_seq_get_any_port_info, int client, int port, void* info)
NOTHING(snd_seq_query_next_client, void* info)
NOTHING(snd_seq_query_next_port, void* info)
NOTHING(snd_seq_query_port_subscribers, void* subscribers)
