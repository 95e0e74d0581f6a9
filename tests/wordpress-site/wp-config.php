<?php
// The test site's configuration, loaded through Debian's per-host scheme.
// Everything it writes stays in the state folder; it reaches no host but
// 127.0.0.1 and sends no mail.
$brevanton_site = getenv('BREVANTON_WORDPRESS_SITE');
$brevanton_port = trim((string) file_get_contents($brevanton_site . '/port'));

// The web server's user logs in through MariaDB's socket as itself.
define('DB_NAME', 'wordpress');
define('DB_USER', 'www-data');
define('DB_PASSWORD', '');
define('DB_HOST', 'localhost:' . $brevanton_site . '/run/mysqld.sock');
define('DB_CHARSET', 'utf8mb4');
define('DB_COLLATE', '');
$table_prefix = 'wp_';

// Always 127.0.0.1 and the state folder's port, whatever the request says.
define('WP_HOME', 'http://127.0.0.1:' . $brevanton_port);
define('WP_SITEURL', 'http://127.0.0.1:' . $brevanton_port);
define('BREVANTON_UPLOADS_DIR', $brevanton_site . '/uploads');
define('WPMU_PLUGIN_DIR', $brevanton_site . '/site/mu-plugins');
define('WPMU_PLUGIN_URL', WP_HOME . '/wp-content/mu-plugins');

// Application passwords over plain http need a local environment.
define('WP_ENVIRONMENT_TYPE', 'local');
define('WP_HTTP_BLOCK_EXTERNAL', true);
define('DISABLE_WP_CRON', true);
define('AUTOMATIC_UPDATER_DISABLED', true);
define('WP_AUTO_UPDATE_CORE', false);
define('DISALLOW_FILE_MODS', true);
define('DISALLOW_FILE_EDIT', true);
define('WP_ALLOW_MULTISITE', false);
define('WP_DEBUG', false);
define('WP_DEBUG_DISPLAY', false);
