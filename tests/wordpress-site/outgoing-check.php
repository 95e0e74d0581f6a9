<?php
// Checks from inside the running test site that WordPress reaches 127.0.0.1
// and nothing else: "localhost" names this very machine, so a request that
// got through would still stay on it. Run by smoke as the web server's user.

if (PHP_SAPI !== 'cli') {
    exit(1);
}
$port = trim((string) file_get_contents(getenv('BREVANTON_WORDPRESS_SITE') . '/port'));
$_SERVER['HTTP_HOST'] = '127.0.0.1:' . $port;
$_SERVER['SERVER_NAME'] = '127.0.0.1';
$_SERVER['SERVER_PORT'] = $port;
$_SERVER['REQUEST_URI'] = '/';
$_SERVER['REQUEST_METHOD'] = 'GET';
require '/usr/share/wordpress/wp-load.php';

$failures = [];
$own = wp_remote_get("http://127.0.0.1:$port/?rest_route=/", ['timeout' => 30]);
if (is_wp_error($own) || wp_remote_retrieve_response_code($own) !== 200) {
    $failures[] = 'the site cannot reach itself at 127.0.0.1: '
        . (is_wp_error($own) ? $own->get_error_message() : wp_remote_retrieve_response_code($own));
}
foreach (["http://localhost:$port/", "http://[::1]:$port/", "http://127.0.0.2:$port/"] as $url) {
    $other = wp_remote_get($url, ['timeout' => 5]);
    if (!is_wp_error($other) || $other->get_error_code() !== 'http_request_refused') {
        $failures[] = "a request to $url was not refused before it was sent";
    }
}
// A redirect from the site itself does not lead anywhere else either.
$redirected = wp_remote_get("http://127.0.0.1:$port/wp-admin/", ['timeout' => 30, 'redirection' => 5]);
if (!is_wp_error($redirected) && wp_remote_retrieve_response_code($redirected) === 200
    && str_contains((string) wp_remote_retrieve_header($redirected, 'content-type'), 'html')) {
    // wp-admin sends visitors to the login page at 127.0.0.1, which is allowed.
} else {
    $failures[] = 'a redirect within 127.0.0.1 failed';
}
$methods = apply_filters('xmlrpc_methods', ['pingback.ping' => 'x', 'wp.getPosts' => 'x']);
if (isset($methods['pingback.ping']) || !isset($methods['wp.getPosts'])) {
    $failures[] = 'XML-RPC still offers pingback.ping';
}
if (!wp_mail('someone@127.0.0.1', 'Subject', 'Body')) {
    $failures[] = 'mail is not quietly dropped';
}
if (has_action('do_pings', 'do_all_pings')) {
    $failures[] = 'publishing still pings';
}

foreach ($failures as $failure) {
    fwrite(STDERR, "outgoing-check: $failure\n");
}
exit($failures ? 1 : 0);
