// A CMC library that lacks one of the ten calls (cmc_act_on), for the mail
// bridge's "entry point missing" path.
#define CMC_EXPORT extern "C" __attribute__((visibility("default")))

CMC_EXPORT int cmc_query_configuration() { return 21; }
CMC_EXPORT int cmc_logon() { return 21; }
CMC_EXPORT int cmc_logoff() { return 21; }
CMC_EXPORT int cmc_free() { return 21; }
CMC_EXPORT int cmc_look_up() { return 21; }
CMC_EXPORT int cmc_list() { return 21; }
CMC_EXPORT int cmc_send() { return 21; }
CMC_EXPORT int cmc_send_documents() { return 21; }
CMC_EXPORT int cmc_read() { return 21; }
