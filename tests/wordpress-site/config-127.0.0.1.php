<?php
// Brevanton's test WordPress site
// Debian's WordPress loads /etc/wordpress/config-127.0.0.1.php for the Host
// "127.0.0.1"; tests/wordpress-site/start puts this file there. It loads the
// configuration kept in the state folder that the server's environment names.
$brevanton_site = getenv('BREVANTON_WORDPRESS_SITE');
if (!is_string($brevanton_site) || $brevanton_site === ''
    || !is_file($brevanton_site . '/site/wp-config.php')) {
    header('HTTP/1.0 500 Internal Server Error');
    echo "No test site here: BREVANTON_WORDPRESS_SITE names no state folder.\n";
    exit(1);
}
require_once $brevanton_site . '/site/wp-config.php';
