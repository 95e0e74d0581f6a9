<?php
/**
 * Plugin Name: Brevanton test site
 * Description: Keeps the test site to itself: no request leaves for any host but 127.0.0.1, no pingbacks, no outside Site Health checks, no link previews, no mail; uploads go to the state folder.
 */

/** Whether a URL's host is the one host the site may reach. */
function brevanton_is_own_host($url)
{
    $host = parse_url((string) $url, PHP_URL_HOST);
    return is_string($host) && $host === '127.0.0.1';
}

// Refuses before the request is made, so before any name is looked up; the
// last filter, so that no other one lets the request through.
add_filter('pre_http_request', function ($preempt, $args, $url) {
    if (!brevanton_is_own_host($url)) {
        return new WP_Error('http_request_refused', 'The test site reaches no host but 127.0.0.1.');
    }
    return $preempt;
}, PHP_INT_MAX, 3);

// Nor do redirects lead anywhere else.
add_action('requests-requests.before_redirect', function ($location) {
    if (!brevanton_is_own_host($location)) {
        throw new Requests_Exception('The test site reaches no host but 127.0.0.1.', 'brevanton.refused');
    }
}, 10, 1);

// No pingbacks, trackbacks or enclosure lookups when posts are published,
// and XML-RPC does not fetch the pages pingbacks name.
remove_action('do_pings', 'do_all_pings', 10);
add_filter('pre_option_default_pingback_flag', '__return_zero');
add_filter('pre_option_ping_sites', '__return_empty_string');
add_filter('xmlrpc_methods', function ($methods) {
    unset($methods['pingback.ping'], $methods['pingback.extensions.getPingbacks']);
    return $methods;
});

// No update checks.
add_filter('automatic_updater_disabled', '__return_true');
remove_action('admin_init', '_maybe_update_core');
remove_action('admin_init', '_maybe_update_plugins');
remove_action('admin_init', '_maybe_update_themes');
remove_action('init', 'wp_schedule_update_checks');

// Site Health checks that would reach other hosts.
add_filter('site_status_tests', function ($tests) {
    unset($tests['async']['dotorg_communication'], $tests['async']['background_updates'],
        $tests['async']['https_status'], $tests['direct']['https_status']);
    return $tests;
});

// The block editor's link previews fetch any page they are given.
add_filter('rest_endpoints', function ($endpoints) {
    foreach (array_keys($endpoints) as $route) {
        if (str_starts_with($route, '/wp-block-editor/v1/url-details')) {
            unset($endpoints[$route]);
        }
    }
    return $endpoints;
});

// Mail goes nowhere.
add_filter('pre_wp_mail', '__return_true');

// Uploads live in the state folder; the router serves them under /wp-content/uploads.
add_filter('upload_dir', function ($uploads) {
    $base_url = WP_HOME . '/wp-content/uploads';
    $uploads['basedir'] = BREVANTON_UPLOADS_DIR;
    $uploads['baseurl'] = $base_url;
    $uploads['path'] = BREVANTON_UPLOADS_DIR . $uploads['subdir'];
    $uploads['url'] = $base_url . $uploads['subdir'];
    $uploads['error'] = false;
    return $uploads;
});
